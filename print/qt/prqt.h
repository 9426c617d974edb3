// The window's printer: the platform's printer chosen in its print dialog, or a PDF file. Units
// are points; the face is a fixed-pitch one in which a double-byte character is two wide.
#pragma once
#include <memory>
#include <string>

#include "print/prdoor.h"

class QWidget;
class QPrinter;
class QPainter;

class PRN_QT final : public PRN_PRINTER {
public:
    // parent: the dialog's owner. pdf non-empty: every job goes to that file, without a dialog.
    PRN_QT(QWidget *parent, std::string pdf = {});
    ~PRN_QT() override;
    // Every later job goes to this PDF file ("" the dialog again), in this many copies.
    void prn_to_pdf(std::string file, int n = 1) { pdf = std::move(file), pdf_copies = n; }

    int prn_begin(const char *title, PRN_PAGE &page, int &copies) override;
    int prn_font_height() override { return 10; }
    int prn_csize(int h, int &cw, int &ch) override;
    int prn_new_page() override;
    void prn_text(int x, int y, int h, const char *text, unsigned colour) override;
    void prn_line(int x1, int y1, int x2, int y2, int width) override;
    void prn_fill(int x, int y, int w, int h, unsigned colour) override;
    int prn_end() override;
    void prn_abort() override;

private:
    QWidget *parent;
    std::string pdf;
    int pdf_copies = 1;
    std::unique_ptr<QPrinter> printer;
    std::unique_ptr<QPainter> painter;
};
