#pragma once

#include <QString>

#include <functional>

class ReportDocument;

// Writes a report as a PDF file, one page after another, so that the time
// grows with the number of pages and the memory does not. Its text can be
// searched and copied: every kanji is named by its own code point, not by a
// radical drawn alike.
class ReportPdf
{
public:
    // `progress` is called after each page with the number of pages written.
    // Raises ReportError naming the file when it cannot be written.
    static void write(const ReportDocument &document, const QString &path,
                      const std::function<void(int)> &progress = {});
};
