#include "platform/qt/qt_printer.h"

#include <QFontMetrics>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinterInfo>

#include "common/errors.h"
#include "common/paths.h"
#include "platform/qt/painter_canvas.h"
#include "platform/qt/qt_text.h"

namespace vk7 {

namespace {

// A printer page. Upright texts are drawn as text, not as pixel images, so that a PDF keeps
// them searchable and sharp.
class PageCanvas : public PainterCanvas {
public:
    PageCanvas(QPainter* painter, int width, int height) : PainterCanvas(painter, width, height), painter_(painter) {}

    void textOut(int x, int y, std::string_view cp1251) override {
        if (font().escapement != 0) return PainterCanvas::textOut(x, y, cp1251);
        if (cp1251.empty()) return;
        QPainter& p = *painter_;
        const QFont f = qtFont(font());
        const QFontMetrics fm(f, p.device());
        const QString text = toQString(cp1251);
        p.save();
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        if (!brush().clear)
            p.fillRect(QRect(x, y, fm.horizontalAdvance(text), fm.height()), toQColor(brush().colour));
        p.setFont(f);
        p.setPen(toQColor(font().colour));
        p.drawText(QPoint(x, y + fm.ascent()), text);
        p.restore();
    }

    TextSize textExtent(std::string_view cp1251) override {
        const QFontMetrics fm(qtFont(font()), painter_->device());
        return {fm.horizontalAdvance(toQString(cp1251)), fm.height()};
    }

private:
    QPainter* painter_;
};

class QtPrintJob : public PrintJob {
public:
    // `owned` is the PDF printer made for this job, or null when the job uses `device`.
    QtPrintJob(QPrinter& device, std::unique_ptr<QPrinter> owned, PrintOutcome outcome)
        : owned_(std::move(owned)), device_(device), outcome_(std::move(outcome)) {
        if (!painter_.begin(&device_)) {
            const std::string where = outcome_.toPrinter ? fromQString(device_.printerName())
                                                         : textFromPath(outcome_.file);
            throw IoError("print", where, "the print job could not be begun");
        }
        const QRect page = device_.pageLayout().paintRectPixels(device_.resolution());
        canvas_ = std::make_unique<PageCanvas>(&painter_, page.width(), page.height());
    }
    ~QtPrintJob() override {
        if (painter_.isActive()) {
            device_.abort();
            painter_.end();
        }
    }

    Canvas& canvas() override { return *canvas_; }
    PrinterResolution resolution() const override { return {device_.resolution(), device_.resolution()}; }
    void newPage() override {
        if (!device_.newPage()) throw IoError("print", textFromPath(outcome_.file), "a new page could not be begun");
    }
    PrintOutcome finish() override {
        if (!painter_.end()) throw IoError("print", textFromPath(outcome_.file), "the print job failed");
        return outcome_;
    }

private:
    std::unique_ptr<QPrinter> owned_;
    QPrinter& device_;
    PrintOutcome outcome_;
    QPainter painter_;
    std::unique_ptr<PageCanvas> canvas_;
};

}  // namespace

void setUpFallbackPdf(QPrinter& printer, const fs::path& path, bool landscape) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setResolution(kPdfDpi);
    printer.setFullPage(false);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4),
                                      landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                      QMarginsF(5, 5, 5, 5), QPageLayout::Millimeter));
    printer.setOutputFileName(QString::fromStdString(path.string()));
}

QtPrinter::QtPrinter() = default;

bool QtPrinter::hasPrinter() const {
    if (printer_.outputFormat() == QPrinter::PdfFormat) return !printer_.outputFileName().isEmpty();
    return !printer_.printerName().isEmpty() && !QPrinterInfo::printerInfo(printer_.printerName()).isNull();
}

PrinterResolution QtPrinter::resolution() {
    if (!hasPrinter()) return {kPdfDpi, kPdfDpi};
    return {printer_.logicalDpiX(), printer_.logicalDpiY()};
}

std::unique_ptr<PrintJob> QtPrinter::begin(const PrintRequest& request) {
    if (hasPrinter()) {
        printer_.setDocName(toQString(request.title));
        printer_.setPageOrientation(request.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
        PrintOutcome outcome;
        if (printer_.outputFormat() == QPrinter::PdfFormat) outcome.file = fs::path(printer_.outputFileName().toStdString());
        return std::make_unique<QtPrintJob>(printer_, nullptr, outcome);
    }
    auto pdf = std::make_unique<QPrinter>(QPrinter::HighResolution);
    setUpFallbackPdf(*pdf, request.pdfPath, request.landscape);
    pdf->setDocName(toQString(request.title));
    QPrinter& device = *pdf;
    return std::make_unique<QtPrintJob>(device, std::move(pdf), PrintOutcome{false, request.pdfPath});
}

}  // namespace vk7
