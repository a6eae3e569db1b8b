#include "support/stdout_capture.h"

#include <cstdio>
#include <unistd.h>

StdoutCapture::StdoutCapture()
{
    std::fflush(stdout);
    if (!m_file.open())
        return;
    m_saved = ::dup(STDOUT_FILENO);
    if (m_saved >= 0)
        ::dup2(m_file.handle(), STDOUT_FILENO);
}

StdoutCapture::~StdoutCapture()
{
    finish();
}

QString StdoutCapture::finish()
{
    if (m_saved < 0)
        return m_text;
    std::fflush(stdout);
    ::dup2(m_saved, STDOUT_FILENO);
    ::close(m_saved);
    m_saved = -1;
    m_file.seek(0);
    m_text = QString::fromUtf8(m_file.readAll());
    return m_text;
}
