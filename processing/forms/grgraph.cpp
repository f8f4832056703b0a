// Calibration graphs window (TForm9) "Градуировочные графики для актуальных компонентов".
#include "processing/forms/grgraph.h"

#include <algorithm>

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QToolButton>

#include "common/cp1251.h"
#include "common/files.h"
#include "platform/qt/event_guard.h"
#include "platform/qt/qt_text.h"
#include "processing/plot_drawing.h"

namespace vk7 {

namespace {

QString ru(const std::string& cp1251) { return toQString(cp1251); }

QLabel* label(QWidget* parent, const char* name, const std::string& hint, QRect geometry) {
    auto* l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setToolTip(ru(hint));
    l->setGeometry(geometry);
    return l;
}

QToolButton* button(QWidget* parent, const char* name, const QString& caption, const std::string& hint, QRect geometry) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(caption);
    b->setToolTip(ru(hint));
    b->setGeometry(geometry);
    return b;
}

}  // namespace

TForm9::TForm9(ProcessingState& state, Dialogs& dialogs, Printer& printer, std::function<void(HelpPage)> showHelpPage,
               QWidget* owner)
    : ToolWindow(QStringLiteral("Form9"), ru(RU("Градуировочные графики для актуальных компонентов")), owner),
      state_(state), dialogs_(dialogs), printer_(printer), showHelpPage_(std::move(showHelpPage)) {
    setFixedSize(640, 340);

    StringGrid1 = new QTableWidget(0, 1, this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setGeometry(4, 4, 180, 293);
    StringGrid1->horizontalHeader()->hide();
    StringGrid1->verticalHeader()->hide();
    StringGrid1->horizontalHeader()->setStretchLastSection(true);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);

    PaintBox1 = new PaintBox(this);
    PaintBox1->setObjectName(QStringLiteral("PaintBox1"));
    PaintBox1->setGeometry(190, 4, 421, 293);

    Label2 = label(this, "Label2", RU("Площадь (приведенная)"), {190, 304, 70, 20});
    Label3 = label(this, "Label3", RU("Концентрация"), {262, 304, 70, 20});
    Label5 = label(this, "Label5", RU("Наклон"), {334, 304, 90, 20});
    Label6 = label(this, "Label6", RU("Начальное значение"), {426, 304, 90, 20});
    Label7 = label(this, "Label7", RU("Коэффициент корреляции"), {518, 304, 90, 20});
    SpeedButton1 = button(this, "SpeedButton1", QStringLiteral("?"), {}, {4, 304, 28, 26});
    SpeedButton2 = button(this, "SpeedButton2", ru(RU("Печать")), RU("Печать"), {36, 304, 56, 26});
    SpeedButton3 = button(this, "SpeedButton3", QStringLiteral("[ ]"), RU("Выделение фрагмента"), {96, 304, 40, 26});
    SpeedButton4 = button(this, "SpeedButton4", QStringLiteral("[=]"), RU("Общий вид"), {140, 304, 40, 26});
    showTexts();

    connect(StringGrid1, &QTableWidget::cellClicked, this, [this](int row, int) { StringGrid1Click(row); });
    connect(PaintBox1, &PaintBox::resized, this, [this] { redraw(); });
    connect(PaintBox1, &PaintBox::mouseDown, this, [this](int x, int y, Qt::MouseButton) { PaintBox1MouseDown(x, y); });
    connect(PaintBox1, &PaintBox::mouseMove, this, [this](int x, int y, Qt::MouseButtons) { PaintBox1MouseMove(x, y); });
    connect(PaintBox1, &PaintBox::mouseUp, this, [this](int x, int y, Qt::MouseButton) { PaintBox1MouseUp(x, y); });
    connect(SpeedButton1, &QToolButton::clicked, this, &TForm9::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TForm9::SpeedButton2Click);
    connect(SpeedButton3, &QToolButton::clicked, this, &TForm9::SpeedButton3Click);
    connect(SpeedButton4, &QToolButton::clicked, this, &TForm9::SpeedButton4Click);
}

void TForm9::showEvent(QShowEvent* event) {
    ToolWindow::showEvent(event);
    FormShow();
}

// The graphs belong to the last identification: grad.dat is read at each showing.
void TForm9::FormShow() {
    guarded(dialogs_, [&] {
        const auto lines = readLinesIfExists(state_.Start.file("space", "grad.dat"));
        gradLines_ = lines ? *lines : std::vector<std::string>{};
        components_ = ListCalibratedComponents(gradLines_);
        StringGrid1->setRowCount(static_cast<int>(components_.size()));
        for (size_t i = 0; i < components_.size(); ++i)
            StringGrid1->setItem(static_cast<int>(i), 0, new QTableWidgetItem(ru(components_[i])));
        zoomArmed_ = dragging_ = false;
        noComponents_ = components_.empty();
        if (noComponents_) {
            selected_ = -1;
            graph_ = CalibrationGraph{};
            redraw();
            Label2->clear();
            Label3->clear();
            Label5->clear();
            Label6->clear();
            Label7->clear();
            dialogs_.info(RU("Нет опознанных веществ"));
            return;
        }
        StringGrid1->setCurrentCell(0, 0);
        StringGrid1Click(0);
    });
}

void TForm9::StringGrid1Click(int row) {
    if (noComponents_ || row < 0 || row >= static_cast<int>(components_.size())) return;
    selected_ = row;
    LoadCalibrationPoints(graph_, gradLines_, components_[static_cast<size_t>(row)]);
    zoomArmed_ = false;
    redraw();
}

void TForm9::redraw() {
    ImageCanvas& c = PaintBox1->canvas();
    if (noComponents_) {
        c.setBrush(Brush{0xFFFFFF, false});
        c.fillRect({0, 0, c.width(), c.height()});
        return;
    }
    RedrawGraph(c, graph_);
    showTexts();
}

void TForm9::showTexts() {
    const FitTexts fit = fitTexts(graph_);
    Label5->setText(ru(fit.a));
    Label6->setText(ru(fit.b));
    Label7->setText(ru(fit.r));
    const ReadOffTexts read = ReadOffGraph(graph_);
    Label2->setText(ru(read.S));
    Label3->setText(ru(read.C));
}

void TForm9::PaintBox1MouseDown(int x, int y) {
    if (noComponents_) return;
    if (zoomArmed_) {
        dragging_ = true;
        dragStart_ = dragCorner_ = {x, y};
        return;
    }
    if (!graph_.Axes) return;
    ImageCanvas& c = PaintBox1->canvas();
    DrawReadOffLine(c, graph_);
    graph_.ReadOffX = std::clamp(x, graph_.Rect.left, graph_.Rect.right);
    DrawReadOffLine(c, graph_);
    showTexts();
}

void TForm9::PaintBox1MouseMove(int x, int y) {
    if (!dragging_) return;
    ImageCanvas& c = PaintBox1->canvas();
    DrawRubberBand(c, dragStart_, dragCorner_, PenMode::NotXor);
    dragCorner_ = {x, std::max(y, graph_.Rect.top)};
    DrawRubberBand(c, dragStart_, dragCorner_, PenMode::NotXor);
}

void TForm9::PaintBox1MouseUp(int, int) {
    if (!dragging_) return;
    dragging_ = false;
    dragCorner_.y = std::max(dragCorner_.y, graph_.Rect.top);
    DrawRubberBand(PaintBox1->canvas(), dragStart_, dragCorner_, PenMode::Copy);
    if (!zoomArmed_) return;
    zoomArmed_ = false;
    ZoomGraph(graph_, dragStart_.x, dragStart_.y, dragCorner_.x, dragCorner_.y);
    redraw();
}

void TForm9::SpeedButton1Click() {
    if (showHelpPage_) showHelpPage_(help_page::CalibrationGraphs);
}

void TForm9::SpeedButton2Click() {
    guarded(dialogs_, [&] {
        if (noComponents_ || !graph_.Axes || selected_ < 0) return;
        state_.Start.ensureFolder("results");
        PrintRequest request;
        request.title = RU("Градуировочный график");
        request.pdfPath = state_.Start.file("results", "grad.pdf");
        std::unique_ptr<PrintJob> job = printer_.begin(request);
        const PrinterResolution dpi = job->resolution();
        PrintCalibrationGraph(job->canvas(), dpi.dpiX, dpi.dpiY, graph_, components_[static_cast<size_t>(selected_)]);
        finishPrintJob(*job, dialogs_);
    });
}

void TForm9::SpeedButton3Click() {
    if (!noComponents_ && graph_.Axes) zoomArmed_ = true;
}

void TForm9::SpeedButton4Click() {
    if (noComponents_) return;
    zoomArmed_ = false;
    ShowFullView(graph_);
    redraw();
}

}  // namespace vk7
