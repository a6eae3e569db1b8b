#pragma once

#include <QString>

// The few failures the room reports go to standard output, one whole line each.
void printReportLine(const QString& line);
