// Chromatogram modelling window (TForm14) "Моделирование хроматограмм".
#include "modelling/forms/model7.h"

#include <algorithm>

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QTableWidget>
#include <QToolButton>

#include "common/cp1251.h"
#include "common/number_text.h"
#include "platform/key_letters.h"
#include "platform/qt/event_guard.h"
#include "platform/qt/key_preview.h"
#include "platform/qt/paint_box.h"
#include "platform/qt/qt_text.h"
#include "processing/plot_drawing.h"

namespace vk7 {

namespace {

constexpr int kImageWidth = 521, kImageHeight = 305;
constexpr int kImageTop = 72;

QString ru(const std::string& cp1251) { return toQString(cp1251); }

QToolButton* speedButton(QWidget* parent, const QString& text, const std::string& hint) {
    auto* b = new QToolButton(parent);
    b->setText(text);
    b->setToolTip(ru(hint));
    b->setAutoRaise(true);
    b->setFixedSize(28, 26);
    return b;
}

QWidget* panel(QWidget* parent) {
    auto* p = new QWidget(parent);
    auto* l = new QHBoxLayout(p);
    l->setContentsMargins(2, 2, 2, 2);
    l->setSpacing(2);
    return p;
}

void add(QWidget* panel, QWidget* w) { panel->layout()->addWidget(w); }

// A seed from the clock: the model noise differs from one write to the next.
uint32_t clockSeed(const LocalDateTime& t) {
    uint32_t seed = 0;
    for (int part : {t.year, t.month, t.day, t.hour, t.minute, t.second}) seed = seed * 61u + static_cast<uint32_t>(part);
    return seed;
}

}  // namespace

TForm14::TForm14(ProcessingState& state, Dialogs& dialogs, const Clock& clock,
                 std::function<void(HelpPage)> showHelpPage, QWidget* owner)
    : ToolWindow(QStringLiteral("Form14"), ru(RU("Моделирование хроматограмм")), owner),
      state_(state),
      dialogs_(dialogs),
      clock_(clock),
      showHelpPage_(std::move(showHelpPage)) {
    Panel1 = panel(this);
    SpeedButton3 = speedButton(Panel1, QString(), RU("Загрузить модель (F5)"));
    SpeedButton3->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    SpeedButton8 = speedButton(Panel1, QString(), RU("Сохранить модель (F6)"));
    SpeedButton8->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    SpeedButton4 = speedButton(Panel1, QString(), RU("Записать в виде хроматограммы (F7)"));
    SpeedButton4->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
    for (QWidget* w : {SpeedButton3, SpeedButton8, SpeedButton4}) add(Panel1, w);

    Panel3 = panel(this);
    SpeedButton2 = speedButton(Panel3, QString(), RU("Сместить"));
    SpeedButton2->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
    SpeedButton5 = speedButton(Panel3, QString(), RU("Сместить"));
    SpeedButton5->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
    SpeedButton6 = speedButton(Panel3, QStringLiteral("+"), RU("Больше в 2 раза"));
    SpeedButton7 = speedButton(Panel3, QStringLiteral("-"), RU("Меньше в 2 раза"));
    for (QWidget* w : {SpeedButton2, SpeedButton5, SpeedButton6, SpeedButton7}) add(Panel3, w);

    Panel6 = panel(this);
    SpeedButton10 = speedButton(Panel6, QStringLiteral("I"), RU("Вставить пик (I)"));
    SpeedButton11 = speedButton(Panel6, QStringLiteral("D"), RU("Удалить пик (D)"));
    add(Panel6, SpeedButton10);
    add(Panel6, SpeedButton11);

    Panel5 = panel(this);
    Label4 = new QLabel(ru(RU("Длина")), Panel5);
    Label4->setToolTip(ru(RU("в минутах")));
    Edit3 = new QLineEdit(Panel5);
    Edit3->setFixedWidth(64);
    Edit3->setEnabled(false);
    add(Panel5, Label4);
    add(Panel5, Edit3);
    Panel5->installEventFilter(this);
    Label4->installEventFilter(this);

    Panel4 = panel(this);
    Label2 = new QLabel(ru(RU("Раздел")), Panel4);
    Label2->setToolTip(ru(RU("для размещения хроматограммы")));
    ComboBox1 = new QComboBox(Panel4);
    ComboBox1->setMinimumWidth(130);
    Label5 = new QLabel(ru(RU("Шум")), Panel4);
    Label5->setToolTip(ru(RU("в милливольтах ампл.")));
    Edit2 = new QLineEdit(Panel4);
    Edit2->setFixedWidth(64);
    for (QWidget* w : {static_cast<QWidget*>(Label2), static_cast<QWidget*>(ComboBox1), static_cast<QWidget*>(Label5),
                       static_cast<QWidget*>(Edit2)})
        add(Panel4, w);

    Panel2 = panel(this);
    SpeedButton9 = new QToolButton(Panel2);
    SpeedButton9->setText(ru(RU("Таблица (S)")));
    SpeedButton12 = new QToolButton(Panel2);
    SpeedButton12->setText(ru(RU("Изображение (S)")));
    SpeedButton1 = speedButton(Panel2, QStringLiteral("?"), RU("Помощь (F1)"));
    for (QWidget* w : {SpeedButton9, SpeedButton12, SpeedButton1}) add(Panel2, w);
    // The two view buttons take turns at one place.
    const int viewButtonWidth = std::max(SpeedButton9->sizeHint().width(), SpeedButton12->sizeHint().width());
    SpeedButton9->setFixedWidth(viewButtonWidth);
    SpeedButton12->setFixedWidth(viewButtonWidth);
    SpeedButton12->hide();

    Image1 = new PaintBox(this);
    Image3 = new PaintBox(this);
    Grid = new QTableWidget(0, 5, this);
    Grid->setHorizontalHeaderLabels({ru(RU("№, примеч.")), ru(RU("t уд, мин")), ru(RU("Ширина, с")),
                                     ru(RU("Ассиметрия")), ru(RU("Высота, мВ"))});
    for (int c = 0; c < 5; ++c) Grid->setColumnWidth(c, 72);
    Grid->verticalHeader()->hide();
    Grid->verticalHeader()->setDefaultSectionSize(16);
    Grid->horizontalHeader()->setStretchLastSection(false);
    Grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Grid->setSelectionMode(QAbstractItemView::SingleSelection);

    // The layout: the file, navigation and peak panels and the view switch in the first row,
    // the length and the writing panel in the second, the plot or the table below them.
    for (QWidget* p : {Panel1, Panel3, Panel6, Panel5, Panel4, Panel2}) p->adjustSize();
    Panel1->move(4, 4);
    Panel3->move(Panel1->x() + Panel1->width() + 8, 4);
    Panel6->move(Panel3->x() + Panel3->width() + 8, 4);
    Panel2->move(kImageWidth + 4 - Panel2->width(), 4);
    Panel5->move(4, 38);
    Panel4->move(Panel5->x() + Panel5->width() + 12, 38);
    Image1->setGeometry(4, kImageTop, kImageWidth, kImageHeight);
    Image3->setGeometry(4, kImageTop, kImageWidth, kImageHeight);
    Grid->setGeometry(4, kImageTop, 5 * 72 + Grid->verticalScrollBar()->sizeHint().width() + 4, kImageHeight);
    setFixedSize(kImageWidth + 8, kImageTop + kImageHeight + 4);
    for (QWidget* w : {static_cast<QWidget*>(Image1), static_cast<QWidget*>(Grid), Panel3, Panel4, Panel5, Panel6})
        w->hide();
    DrawIdleFrame(Image3->canvas());
    plot_ = ModelPlot::forImage(kImageWidth, kImageHeight);

    keyPreview_ = new KeyPreview(this, [this](QKeyEvent* e) { return previewKey(e); });
    connect(SpeedButton3, &QToolButton::clicked, this, [this] { handler([this] { OpenModelDialog(); }); });
    connect(SpeedButton8, &QToolButton::clicked, this, [this] { handler([this] { SaveModelFileAction(); }); });
    connect(SpeedButton4, &QToolButton::clicked, this, [this] { handler([this] { WriteModelAsChromatogramAction(); }); });
    connect(SpeedButton9, &QToolButton::clicked, this, [this] { handler([this] { ToggleModelView(); }); });
    connect(SpeedButton12, &QToolButton::clicked, this, [this] { handler([this] { ToggleModelView(); }); });
    // The navigation buttons change the plot's zero line or zoom and draw it again.
    for (auto [button, change] : {std::pair{SpeedButton2, &ModelPlot::upperZeroLine},
                                  std::pair{SpeedButton5, &ModelPlot::lowerZeroLine},
                                  std::pair{SpeedButton6, &ModelPlot::zoomIn}, std::pair{SpeedButton7, &ModelPlot::zoomOut}}) {
        connect(button, &QToolButton::clicked, this, [this, change = change] {
            (plot_.*change)();
            redraw();
        });
    }
    connect(SpeedButton10, &QToolButton::clicked, this, [this] { handler([this] { SpeedButton10Click(); }); });
    connect(SpeedButton11, &QToolButton::clicked, this, [this] { handler([this] { SpeedButton11Click(); }); });
    connect(SpeedButton1, &QToolButton::clicked, this, [this] {
        if (showHelpPage_) showHelpPage_(help_page::ChromatogramModels);
    });
    connect(Edit3, &QLineEdit::returnPressed, this, [this] { handler([this] { lengthEntered(); }); });
    connect(Edit2, &QLineEdit::returnPressed, this, [this] { noiseEntered(); });
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this](int i) { sectionChosen(i); });
    connect(Grid, &QTableWidget::cellChanged, this, [this](int r, int c) { gridChanged(r, c); });
    connect(Image1, &PaintBox::mouseDown, this, [this](int x, int y, Qt::MouseButton) { handler([&] { mouseDown(x, y); }); });
    connect(Image1, &PaintBox::mouseMove, this, [this](int x, int y, Qt::MouseButtons b) {
        if (b & Qt::LeftButton) mouseMove(x, y);
    });
    connect(Image1, &PaintBox::mouseUp, this, [this](int x, int y, Qt::MouseButton) { handler([&] { mouseUp(x, y); }); });
}

void TForm14::handler(const std::function<void()>& action) { guarded(dialogs_, action); }

// ---- showing and hiding ----

void TForm14::showEvent(QShowEvent* event) {
    ToolWindow::showEvent(event);
    if (event->spontaneous()) return;
    left_ = false;
    handler([this] { activate(); });
}

void TForm14::activate() {
    model_.ModelName = readCurrentModelName(state_.Start);
    regime_ = readModelRegime(state_.Start);
    random_.seed(clockSeed(clock_.now()));
    section_ = isDataSection(state_.Start, regime_.Section) ? regime_.Section : std::string();
    fillSections();
    if (!model_.ModelName.empty()) setupModelWindow();
}

void TForm14::fillSections() {
    const QSignalBlocker block(ComboBox1);
    ComboBox1->clear();
    // A section of rsv.dat that is no folder of \DATA\ is shown marked, and is no choice.
    if (section_.empty() && !regime_.Section.empty()) ComboBox1->addItem(ru(regime_.Section + "!!!"), QString());
    for (const std::string& s : ListDataSections(state_.Start)) ComboBox1->addItem(ru(s), ru(s));
    const int at = section_.empty() ? (regime_.Section.empty() ? -1 : 0) : ComboBox1->findData(ru(section_));
    ComboBox1->setCurrentIndex(at);
}

void TForm14::sectionChosen(int index) {
    section_ = index < 0 ? std::string() : fromQString(ComboBox1->itemData(index).toString());
}

void TForm14::setupModelWindow() {
    setWindowTitle(ru(RU("Модель ") + model_.ModelName));
    ModelLoad load = LoadModelFile(state_.Start, model_.ModelName);
    if (!load.Model) {
        dialogs_.info(load.Refusal);
        return;
    }
    model_ = std::move(*load.Model);
    SetupModel(model_);
    editState_ = 1;
    plot_ = ModelPlot::forImage(kImageWidth, kImageHeight);
    Image3->hide();
    Panel4->hide();
    Panel6->show();
    if (view_ == 1) showPlotControls();
    fillGrid();
    redraw();
    Edit3->setText(ru(fixedText(model_.ModelLength / 60.0, 7, 3)));
    Edit3->setEnabled(false);
    Panel5->show();
    Edit2->setText(ru(fixedText(model_.ModelNoise, 7, 1)));
}

void TForm14::showPlotControls() {
    Image1->show();
    Panel3->show();
}

bool TForm14::askSaveModel() {
    if (!dialogs_.confirm(RU("Модель ") + model_.ModelName + RU(" изменена. Сохранить ее?"))) return true;
    return SaveModelFileAction() || !CheckModelGrid(model_.Rows).has_value();
}

bool TForm14::leaveWindow() {
    bool stay = false;
    handler([&] {
        if (model_.ModelModified && !askSaveModel()) {
            stay = true;
            return;
        }
        writeCurrentModelName(state_.Start, model_.ModelName);
    });
    left_ = !stay;
    return !stay;
}

void TForm14::closeEvent(QCloseEvent* event) {
    if (!left_ && !leaveWindow()) {
        event->ignore();
        return;
    }
    ToolWindow::closeEvent(event);
}

void TForm14::hideEvent(QHideEvent* event) {
    ToolWindow::hideEvent(event);
    // Hidden by the program (not minimised), while the program runs.
    if (!event->spontaneous() && !left_ && parentWidget() && parentWidget()->isVisible()) leaveWindow();
}

// ---- the model and its views ----

bool TForm14::recompute() {
    if (const auto bad = CheckModelGrid(model_.Rows)) {
        dialogs_.info(modelRowMessage(*bad));
        return false;
    }
    SetupModelInterval(model_);
    SynthesizeModel(model_);
    return true;
}

void TForm14::redraw() {
    if (editState_ == 0) return;
    RedrawModel(Image1->canvas(), plot_, model_);
}

void TForm14::fillGrid() {
    filling_ = true;
    const QSignalBlocker block(Grid);
    Grid->setRowCount(model_.ModelPeakCount());
    for (int r = 0; r < model_.ModelPeakCount(); ++r) {
        auto* label = new QTableWidgetItem(ru(modelRowLabel(r + 1, model_.Rows[size_t(r)], model_.ModelLength)));
        label->setFlags(label->flags() & ~Qt::ItemIsEditable);
        Grid->setItem(r, 0, label);
        for (int c = 0; c < 4; ++c) Grid->setItem(r, c + 1, new QTableWidgetItem(ru(model_.Rows[size_t(r)][size_t(c)])));
    }
    filling_ = false;
}

void TForm14::gridChanged(int row, int column) {
    if (filling_ || column < 1 || row < 0 || row >= model_.ModelPeakCount()) return;
    model_.Rows[size_t(row)][size_t(column - 1)] = fromQString(Grid->item(row, column)->text());
    model_.ModelModified = true;
    const QSignalBlocker block(Grid);
    if (QTableWidgetItem* label = Grid->item(row, 0))
        label->setText(ru(modelRowLabel(row + 1, model_.Rows[size_t(row)], model_.ModelLength)));
}

void TForm14::ToggleModelView() {
    if (view_ == 1) {
        Grid->show();
        Image1->hide();
        Image3->hide();
        Panel3->hide();
        SpeedButton9->hide();
        SpeedButton12->show();
        view_ = 0;
        return;
    }
    if (editState_ > 0) {
        if (!recompute()) return;  // the table stays, with the row to correct
        redraw();
        showPlotControls();
    } else {
        Image3->show();
    }
    Grid->hide();
    SpeedButton9->show();
    SpeedButton12->hide();
    view_ = 1;
}

// ---- files ----

FileDialogRequest TForm14::modelDialog(const std::string& title) const {
    FileDialogRequest r;
    r.title = title;
    r.filter = "*.mod |*.mod";
    r.initialDir = state_.Start.ensureFolder("space");
    r.proposedName = model_.ModelName;
    return r;
}

std::optional<std::string> TForm14::chosenModelName(const std::optional<fs::path>& chosen) {
    if (!chosen) return std::nullopt;
    const ModelNameChoice name = modelNameFromChosenPath(state_.Start, *chosen);
    if (!name.Refusal.empty()) {
        dialogs_.info(name.Refusal);
        return std::nullopt;
    }
    return name.Name;
}

void TForm14::OpenModelDialog() {
    if (model_.ModelModified && !askSaveModel()) return;
    const auto name = chosenModelName(dialogs_.openOne(modelDialog(RU("Загрузка моделей"))));
    if (!name) return;
    model_.ModelName = *name;
    setupModelWindow();
}

bool TForm14::SaveModelFileAction() {
    if (editState_ == 0) return false;
    if (const auto bad = CheckModelGrid(model_.Rows)) {
        dialogs_.info(modelRowMessage(*bad));
        return false;
    }
    const auto name = chosenModelName(dialogs_.saveAs(modelDialog(RU("Сохранение модели"))));
    if (!name) return false;
    model_.ModelName = *name;
    setWindowTitle(ru(RU("Модель ") + model_.ModelName));
    SaveModelFile(state_.Start, model_);
    return true;
}

void TForm14::WriteModelAsChromatogramAction() {
    if (editState_ == 0) return;
    if (editState_ == 1) {
        Panel4->show();
        Panel6->hide();
        editState_ = 2;
        return;
    }
    if (!recompute()) return;
    redraw();
    const ModelWrite w = WriteModelAsChromatogram(state_.Start, model_, section_, parseLenient(fromQString(Edit2->text())),
                                                  regime_, clock_.now(), random_);
    if (!w.Refusal.empty()) {
        dialogs_.info(w.Refusal);
        return;
    }
    Panel4->hide();
    Panel6->show();
    editState_ = 1;
}

// ---- length and noise ----

void TForm14::lengthEntered() {
    Edit3->setEnabled(false);
    if (const auto problem = ChangeModelLength(model_, parseLenient(fromQString(Edit3->text())))) {
        Edit3->setText(ru(fixedText(model_.ModelLength / 60.0, 7, 3)));
        dialogs_.info(*problem);
        return;
    }
    fillGrid();
    if (recompute()) redraw();
}

void TForm14::noiseEntered() { model_.ModelNoise = parseLenient(fromQString(Edit2->text())); }

// ---- peaks on the plot and in the table ----

void TForm14::ArmDeletePeak() {
    if (editState_ == 0 || editState_ >= 7 || view_ != 1) return;
    DrawModelPrompt(Image1->canvas(), plot_, RU("Укажите удаляемый пик"));
    savedState_ = editState_;
    editState_ = 7;
}

void TForm14::ArmInsertPeak() {
    if (editState_ == 0 || editState_ >= 7 || view_ != 1) return;
    DrawModelPrompt(Image1->canvas(), plot_, RU("Обозначте новый пик построением"));
    savedState_ = editState_;
    editState_ = 8;
}

void TForm14::restoreState() {
    editState_ = savedState_;
    dragging_ = false;
    redraw();
}

void TForm14::Escape() {
    if ((editState_ == 7 || editState_ == 8) && view_ == 1) {
        restoreState();
    } else if (editState_ == 2) {
        Panel4->hide();
        Panel6->show();
        editState_ = 1;
        state_.HelpPage = view_ == 1 ? help_page::ModelPlot : help_page::ModelTable;
    }
}

void TForm14::SpeedButton10Click() {
    if (view_ == 1) {
        ArmInsertPeak();
        return;
    }
    if (editState_ == 0) return;
    if (const auto refusal = InsertModelRow(model_, Grid->currentRow() < 0 ? model_.ModelPeakCount() : Grid->currentRow())) {
        dialogs_.info(*refusal);
        return;
    }
    fillGrid();
}

void TForm14::SpeedButton11Click() {
    if (view_ == 1) {
        ArmDeletePeak();
        return;
    }
    if (Grid->currentRow() < 0) return;
    DeleteModelRow(model_, Grid->currentRow());
    fillGrid();
}

void TForm14::mouseDown(int x, int y) {
    if (editState_ == 7) {
        const int r = nearestModelRow(model_, plot_.minutesAt(x, model_.ModelLength));
        if (r >= 0) {
            DeleteModelRow(model_, r);
            fillGrid();
            recompute();
        }
        restoreState();
    } else if (editState_ == 8) {
        dragging_ = true;
        pressX_ = lastX_ = x;
        pressY_ = lastY_ = std::max(y, plot_.Top);
    }
}

void TForm14::mouseMove(int x, int y) {
    if (editState_ != 8 || !dragging_) return;
    ImageCanvas& c = Image1->canvas();
    DrawRubberBand(c, {pressX_, pressY_}, {lastX_, lastY_}, PenMode::NotXor);
    lastX_ = x;
    lastY_ = std::max(y, plot_.Top);
    DrawRubberBand(c, {pressX_, pressY_}, {lastX_, lastY_}, PenMode::NotXor);
}

void TForm14::mouseUp(int x, int y) {
    if (editState_ != 8 || !dragging_) return;
    mouseMove(x, y);
    dragging_ = false;
    DrawRubberBand(Image1->canvas(), {pressX_, pressY_}, {lastX_, lastY_}, PenMode::Copy);
    // A click without a drag, or a rectangle of no height, inserts nothing.
    if (lastX_ != pressX_ && lastY_ != pressY_) {
        const ModelPeakValues peak = plot_.peakFromRectangle(pressX_, pressY_, lastX_, lastY_, model_.ModelLength);
        if (const auto refusal = InsertModelPeak(model_, peak)) {
            dialogs_.info(*refusal);
        } else {
            fillGrid();
            recompute();
        }
    }
    restoreState();
}

// ---- keys ----

bool TForm14::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == Panel5 || watched == Label4) && event->type() == QEvent::MouseButtonPress && editState_ > 0) {
        Edit3->setEnabled(true);
        Edit3->setFocus();
    }
    return ToolWindow::eventFilter(watched, event);
}

bool TForm14::previewKey(QKeyEvent* event) {
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
    bool consumed = true;
    switch (event->key()) {
        case Qt::Key_F1: handler([this] { if (showHelpPage_) showHelpPage_(help_page::ChromatogramModels); }); break;
        case Qt::Key_F5: handler([this] { OpenModelDialog(); }); break;
        case Qt::Key_F6: handler([this] { SaveModelFileAction(); }); break;
        case Qt::Key_F7: handler([this] { WriteModelAsChromatogramAction(); }); break;
        case Qt::Key_Escape:
            if (QWidget* f = QApplication::focusWidget(); f && Grid->isAncestorOf(f) && isEditBox(f)) return false;
            Escape();
            break;
        default: consumed = false;
    }
    if (consumed) return true;
    // The letter commands, also on the Russian layout; not while a box takes typed text.
    if (isEditBox(QApplication::focusWidget()) || event->text().isEmpty()) return false;
    switch (latinKeyLetter(event->text().front().unicode())) {
        case 'S': handler([this] { ToggleModelView(); }); return true;
        case 'D': if (view_ == 1) ArmDeletePeak(); return view_ == 1;
        case 'I': if (view_ == 1) ArmInsertPeak(); return view_ == 1;
        default: return false;
    }
}

}  // namespace vk7
