#pragma once

#include <QString>
#include <QTemporaryFile>

// Catches what the code under test prints to standard output, so a test can compare the
// exact lines. Keep the window short: the test framework prints to standard output too.
class StdoutCapture {
public:
    StdoutCapture();
    ~StdoutCapture();
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;

    // Stops catching and returns everything printed meanwhile.
    QString finish();

private:
    QTemporaryFile m_file;
    int m_saved = -1;
    QString m_text;
};
