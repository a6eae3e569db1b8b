# Runs a test executable on a private session bus (dbus-run-session). The bus and the services
# it starts get a home of their own, made for this run under the build folder and removed
# after it, so that nothing they write reaches the real home folder and runs at once share
# nothing.
# cmake -DRUN_SESSION=<dbus-run-session> -DTEST=<executable> -DHOMES=<folder> -P <this file>
file(MAKE_DIRECTORY "${HOMES}")
execute_process(COMMAND mktemp -d "${HOMES}/bus-home-XXXXXX" OUTPUT_VARIABLE home
                OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE made)
if(NOT made EQUAL 0)
    message(FATAL_ERROR "no home for the private bus under ${HOMES}")
endif()
file(MAKE_DIRECTORY "${home}/data" "${home}/config" "${home}/cache")
execute_process(COMMAND "${CMAKE_COMMAND}" -E env "HOME=${home}" "XDG_DATA_HOME=${home}/data"
                        "XDG_CONFIG_HOME=${home}/config" "XDG_CACHE_HOME=${home}/cache"
                        "${RUN_SESSION}" -- "${TEST}"
                RESULT_VARIABLE result)
file(REMOVE_RECURSE "${home}")
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${TEST} ended with ${result}")
endif()
