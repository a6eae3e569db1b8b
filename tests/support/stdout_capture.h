#pragma once

#include <QString>
#include <QTemporaryFile>

#include <cstdio>
#include <unistd.h>

// Catches what the code under test prints to standard output, so a test can compare the
// exact lines. Keep the window short: the test framework prints to standard output too.
class StdoutCapture {
public:
    StdoutCapture()
    {
        std::fflush(stdout);
        if (m_file.open() && (m_saved = ::dup(STDOUT_FILENO)) >= 0)
            ::dup2(m_file.handle(), STDOUT_FILENO);
    }
    ~StdoutCapture() { finish(); }
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;

    // Stops catching and returns everything printed meanwhile.
    QString finish()
    {
        if (m_saved < 0)
            return m_text;
        std::fflush(stdout);
        ::dup2(m_saved, STDOUT_FILENO);
        ::close(m_saved);
        m_saved = -1;
        m_file.seek(0);
        return m_text = QString::fromUtf8(m_file.readAll());
    }

private:
    QTemporaryFile m_file;
    int m_saved = -1;
    QString m_text;
};
