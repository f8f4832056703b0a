// The topic window in the running program: a new topic from the peak table, adding a later
// result, marks and the question on hiding, the trend chart with its picture, and the
// printouts to tema.pdf on a machine without a printer.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPrinterInfo>
#include <QTableWidget>
#include <QToolButton>
#include <memory>

#include "chromfile/chromatogram_file.h"
#include "chromfile/chromatogram_key.h"
#include "chromfile/processing_settings.h"
#include "common/clock.h"
#include "common/cp1251.h"
#include "common/files.h"
#include "common/paths.h"
#include "platform/qt/paint_box.h"
#include "platform/qt/qt_printer.h"
#include "platform/qt/qt_text.h"
#include "platform/scripted_dialogs.h"
#include "processing/calibration_archive.h"
#include "processing/forms/program_windows.h"
#include "processing/forms/table.h"
#include "results/forms/base7.h"
#include "tests/support/chromatogram_fixture.h"
#include "tests/support/cut_texts.h"
#include "tests/support/pdf_tools.h"
#include "tests/support/point_generator.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

namespace fs = std::filesystem;
using test::PointGenerator;

std::string text(const QLabel* l) { return fromQString(l->text()); }

// Every caption and cell of the window shows whole.
void expectNothingCut(const QWidget* w, const char* step) {
    for (const test::CutText& c : test::cutTexts(w))
        ADD_FAILURE() << step << ": " << c.where << " \"" << c.text << "\" needs " << c.needs << " px, has " << c.has;
}

class TopicsWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ProcessingSettings s;
        s.DataDir = textFromPath(dir.path() / "DATA") + "/";
        s.FileName = "h15a.hrm";
        s.AveragingMs = 160;
        s.DetectThreshold = 5.0;
        fs::create_directories(dir.path() / "space");
        fs::create_directories(dir.path() / "results");
        writeLines(dir.path() / "space" / "treat.dat", formatTreatDat(s));
        const fs::path first = chromatogram("h15a.hrm", RU("21.03.2024 проба"));
        ReadRequest req;
        req.AveragingMs = 160;
        const std::string key = BuildChromatogramKey(ReadChromatogram(first, req).Chrom);
        dir.write("space/grad.grd", key + "\r\n" + formatCalibrationLine({32, 100, 1, "benzene", false}) + "\r\n" +
                                        formatCalibrationLine({80, 100, 2, "toluene", false}) + "\r\n#\r\n");
        form = CreateProgramWindows(StartFolder(dir.path()), {dialogs, clock, printer});
        form->show();
        QApplication::processEvents();
        topics = form->windows().Form13;
    }
    void TearDown() override {
        form.reset();
        EXPECT_TRUE(dialogs.unexpected().empty()) << dialogs.unexpected().front();
    }

    fs::path chromatogram(const std::string& name, const std::string& comment) {
        test::ChromatogramFixture f;
        f.samples = PointGenerator(1000, 300).gaussian(200, 4000, 8).gaussian(500, 6000, 8).gaussian(800, 3000, 8).samples(4);
        f.comment = comment;
        f.lastWord = 160;
        return f.write(dir.path() / "DATA" / name);
    }
    // Opens a chromatogram and shows its peak table.
    void tableOf(const fs::path& file) {
        dialogs.expectOpenOne(file);
        form->OpenChromatogramDialog();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QApplication::sendEvent(form.get(), &press);
        QApplication::processEvents();
        ASSERT_EQ(form->state().ProgramMode, ModePeakTable);
    }
    void showTopics() {
        form->Bases1->trigger();
        QApplication::processEvents();
        ASSERT_TRUE(topics->isVisible());
    }
    void pressEscape() {
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(topics, &esc);
    }
    // A new topic "gas" of the open chromatogram's table with every selection row kept.
    void createGas() {
        topics->SpeedButton3->click();
        topics->ComboBox1Change(0);
        topics->SpeedButton7->click();
        topics->Edit1->setText(QStringLiteral("gas"));
        topics->SpeedButton7->click();
    }
    std::string gas() { return readFileBytes(dir.path() / "space/gas.db"); }

    test::TempDir dir;
    ScriptedDialogs dialogs;
    FixedClock clock{LocalDateTime{2024, 3, 5, 9, 7, 41}};
    QtPrinter printer;
    std::unique_ptr<TForm1> form;
    TForm13* topics = nullptr;
};

TEST_F(TopicsWindow, ANewTopicThenALaterResult) {
    tableOf(dir.path() / "DATA/h15a.hrm");
    showTopics();
    for (const std::string& m : dialogs.messageTexts()) EXPECT_EQ(m.find(RU("Нет файла темы")), std::string::npos);
    EXPECT_TRUE(topics->SpeedButton1->isEnabled() == false);
    EXPECT_EQ(text(topics->Label4), "h15a.hrm");
    EXPECT_EQ(text(topics->Label18), "21.03.2024");

    topics->SpeedButton3->click();
    EXPECT_TRUE(topics->Panel5->isVisible());
    EXPECT_EQ(text(topics->Label17), RU("Вид результата:"));
    expectNothingCut(topics, "the kind");
    topics->ComboBox1Change(0);
    ASSERT_EQ(topics->StringGrid1->rowCount(), 2);  // benzene, toluene; "?" left out
    EXPECT_EQ(fromQString(topics->StringGrid1->item(0, 0)->text()), "      benzene");
    EXPECT_EQ(text(topics->Label17), RU("Отметьте двойным щелчком ненужные сторки"));
    expectNothingCut(topics, "the rows");
    topics->SpeedButton7->click();
    EXPECT_EQ(text(topics->Label17), RU("Назовите тему"));
    expectNothingCut(topics, "the name");
    if (const char* keep = getenv("VK7_SCREENSHOTS")) topics->grab().save(QString::fromUtf8(keep) + "/topics-new.png");
    topics->Edit1->setText(QStringLiteral("gas"));
    topics->SpeedButton7->click();
    const std::vector<std::string> lines = readLines(dir.path() / "space/gas.db");
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[3], "      benzene");
    EXPECT_EQ(lines[4], "      toluene");
    EXPECT_EQ(lines[5], std::string(19, '-'));
    EXPECT_EQ(lines[6].substr(0, 22), "   15 21.03.2024 12:00");
    EXPECT_EQ(lines[6].size(), 38u);
    EXPECT_EQ(text(topics->Label3), "gas");
    EXPECT_FALSE(topics->Panel5->isVisible());
    // The grid's heading names the substances whole, in their own fonts' widths.
    const QHeaderView* heading = topics->StringGrid1->horizontalHeader();
    const QFontMetrics bold([&] { QFont f = heading->font(); f.setBold(true); return f; }());
    for (int k : {1, 2}) {
        const QString name = topics->StringGrid1->horizontalHeaderItem(k)->text();
        EXPECT_EQ(name, k == 1 ? QStringLiteral("benzene") : QStringLiteral("toluene"));
        EXPECT_LE(bold.horizontalAdvance(name), topics->StringGrid1->columnWidth(k));
    }
    EXPECT_EQ(readLines(dir.path() / "space/base.dat")[1], "gas");

    // A later analysis of the same object.
    tableOf(chromatogram("h16a.hrm", RU("31.03.2024 проба")));
    topics->SpeedButton1->click();
    EXPECT_EQ(text(topics->Label5), RU("Совпадений  2 из  2 веществ"));
    ASSERT_EQ(topics->theme().Rows.size(), 2u);
    EXPECT_EQ(topics->theme().Rows[1].Key, "   16 ");
    EXPECT_EQ(topics->StringGrid1->rowCount(), 2);

    // A mark asks on hiding; Cancel keeps the file.
    const std::string before = gas();
    topics->StringGrid1->setCurrentCell(1, 1);
    topics->SpeedButton5->click();
    EXPECT_EQ(fromQString(topics->StringGrid1->item(1, 0)->text()), "DEL 31.03.2024");
    if (const char* keep = getenv("VK7_SCREENSHOTS")) topics->grab().save(QString::fromUtf8(keep) + "/topics-table.png");
    EXPECT_EQ(topics->changeCount(), 1);
    dialogs.expectMessage(Answer::Cancel);
    topics->hide();
    EXPECT_EQ(dialogs.messageTexts().back(), RU("Файл темы изменен. Сохранить его?"));
    EXPECT_EQ(gas(), before);

    // The same topic is refused under another name; Esc leaves the selection without a change.
    showTopics();
    createGas();
    EXPECT_EQ(dialogs.messageTexts().back(), RU("Тема gas уже имеется"));
    topics->SpeedButton3->click();
    topics->ComboBox1Change(0);
    topics->StringGrid1->setCurrentCell(0, 0);
    topics->SpeedButton5->click();
    pressEscape();
    EXPECT_FALSE(topics->Panel5->isVisible());
    EXPECT_EQ(topics->StringGrid1->rowCount(), 2);
    EXPECT_EQ(topics->StringGrid1->columnCount(), 3);
    const size_t shown = dialogs.shown().size();
    topics->hide();
    EXPECT_EQ(dialogs.shown().size(), shown);  // no question
    EXPECT_EQ(gas(), before);
}

TEST_F(TopicsWindow, TheChartItsPictureAndThePrintouts) {
    if (!QPrinterInfo::availablePrinterNames().isEmpty()) GTEST_SKIP() << "this machine has a printer";
    writeLines(dir.path() / "space/gas.db",
               {"0", "d", "  0.0", "      benzene", std::string(19, '-'), "    1 01.03.2024 12:00   2.000",
                "    2 11.03.2024 12:00   2.200", "    3 21.03.2024 12:00   5.000", "    4 31.03.2024 12:00   2.600"});
    writeLines(dir.path() / "space/base.dat", {"0", "gas", "d", "  0.0"});
    showTopics();
    EXPECT_EQ(topics->StringGrid1->rowCount(), 4);
    topics->StringGrid1->setCurrentCell(2, 1);
    topics->SpeedButton5->click();
    topics->StringGrid1->setCurrentCell(0, 1);
    topics->SpeedButton6->click();
    ASSERT_TRUE(topics->Image1->isVisible());
    EXPECT_TRUE(topics->Panel4->isVisible());
    EXPECT_EQ(text(topics->Label13), "   1.00000");
    EXPECT_EQ(text(topics->Label14), " 100.00000");
    EXPECT_EQ(text(topics->Label11), "     5.1");
    EXPECT_EQ(text(topics->Label12), " 105.079");
    EXPECT_EQ(text(topics->Label10), "6.3.2024");
    const QImage& chart = topics->Image1->canvas().image();
    EXPECT_EQ(chart.pixelColor(414 + 2, 262).rgb() & 0xFFFFFF, 0x800000u);  // maroon square
    EXPECT_EQ(chart.pixelColor(288 - 2, 82).rgb() & 0xFFFFFF, 0x008000u);   // marked: green
    if (const char* keep = getenv("VK7_SCREENSHOTS")) topics->grab().save(QString::fromUtf8(keep) + "/topics-chart.png");

    // The cursor follows a click.
    topics->Image1MouseDown(162, 150);
    EXPECT_EQ(text(topics->Label12), " 110.000");

    // A zoom to the first two rows draws them without the fit; a refused one keeps the chart.
    topics->SpeedButton9->click();
    topics->Image1MouseDown(36, 2);
    topics->Image1MouseMove(100, 200);
    topics->Image1MouseUp(170, 307);
    EXPECT_EQ(topics->chartScale()->StepX, 2.5);
    topics->SpeedButton9->click();
    topics->Image1MouseDown(100, 100);
    topics->Image1MouseUp(101, 120);
    EXPECT_EQ(dialogs.messageTexts().back(), RU("Мало точек"));
    EXPECT_EQ(topics->chartScale()->StepX, 2.5);
    topics->SpeedButton11->click();
    EXPECT_EQ(topics->chartScale()->StepX, 10);

    // The picture takes the next number after the pictures there; Z the one after.
    for (const char* f : {"1.gif", "7.GIF", "fig.gif", "12a.gif"}) dir.write(std::string("results/") + f, "GIF89a");
    topics->SpeedButton27->click();
    EXPECT_TRUE(fs::exists(dir.path() / "results/8.gif"));
    form->SpeedButton17->click();
    EXPECT_FALSE(fs::exists(dir.path() / "results/9.gif"));  // no chromatogram open: Z saves nothing

    // The chart printed.
    topics->SpeedButton16->click();
    const fs::path pdf = dir.path() / "results/tema.pdf";
    EXPECT_EQ(dialogs.messageTexts().back(), RU("Принтер не найден: печать выполнена в файл ") + textFromPath(pdf));
    EXPECT_EQ(test::pdfInfo(pdf).pages, 1);
    std::string printed = test::pdfText(pdf);
    EXPECT_NE(printed.find("a= 1.00000"), std::string::npos);  // blanks as pdftotext gives them
    EXPECT_NE(printed.find("b= 100.00000"), std::string::npos);
    EXPECT_NE(printed.find("Тема: gas"), std::string::npos);
    if (const char* keep = getenv("VK7_SCREENSHOTS")) fs::copy_file(pdf, fs::path(keep) / "tema-chart.pdf", fs::copy_options::overwrite_existing);

    // The table printed: the marked row in red.
    topics->SpeedButton8->click();
    topics->SpeedButton16->click();
    printed = test::pdfText(pdf);
    EXPECT_NE(printed.find("Тема (объект наблюдения): gas."), std::string::npos);
    const CanvasImage page = test::renderPdfPage(pdf, 1, 50);
    // Row 3 at (3 + 3) * 100 device pixels, its date from x 250; 50 dpi is a twelfth.
    bool red = false;
    for (int y = (118 + 600) / 12; y < (118 + 700) / 12; ++y)
        for (int x = (118 + 250) / 12; x < (118 + 1000) / 12; ++x) red |= page.at(x, y) == rgbColour(255, 0, 0);
    EXPECT_TRUE(red);
    if (const char* keep = getenv("VK7_SCREENSHOTS")) fs::copy_file(pdf, fs::path(keep) / "tema-table.pdf", fs::copy_options::overwrite_existing);
    dialogs.expectMessage(Answer::Cancel);  // the pending mark on hiding
}

TEST_F(TopicsWindow, AModifiedTopicFromTheNormalisedTable) {
    tableOf(dir.path() / "DATA/h15a.hrm");
    showTopics();
    topics->SpeedButton3->click();
    topics->ComboBox1Change(2);
    EXPECT_EQ(dialogs.messageTexts().back(), RU("Нет нормализованной таблицы"));
    EXPECT_TRUE(topics->ComboBox1->isVisible());

    form->Normalise1->trigger();
    ASSERT_TRUE(form->windows().Form4->content().NormalisedShown);
    topics->ComboBox1Change(2);
    // The empty fourth head line of tablr.txt is a row with an empty key, then the names.
    ASSERT_EQ(topics->StringGrid1->rowCount(), 3);
    EXPECT_EQ(fromQString(topics->StringGrid1->item(1, 0)->text()).substr(0, 2), " -");
    topics->SpeedButton7->click();
    topics->Edit1->setText(QStringLiteral("mod"));
    topics->SpeedButton7->click();
    const std::vector<std::string> lines = readLines(dir.path() / "space/mod.db");
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[0], "2");
    EXPECT_EQ(lines[3], "");
    // The same normalised result matches its own topic.
    topics->SpeedButton1->click();
    EXPECT_EQ(text(topics->Label5), RU("Совпадений  3 из  3 веществ"));
    EXPECT_EQ(topics->theme().Rows.size(), 2u);
}

TEST_F(TopicsWindow, AMissingTopicFileIsSaidAndDisablesAddingAndTheChart) {
    writeLines(dir.path() / "space/base.dat", {"0", "lost", "d", "  0.0"});
    tableOf(dir.path() / "DATA/h15a.hrm");
    showTopics();
    EXPECT_EQ(dialogs.messageTexts().back(), RU("Нет файла темы lost"));
    EXPECT_FALSE(topics->SpeedButton1->isEnabled());
    EXPECT_FALSE(topics->SpeedButton6->isEnabled());
    EXPECT_EQ(topics->StringGrid1->rowCount(), 0);
}

}  // namespace
}  // namespace vk7
