// The Word and Excel buttons of the peak table, "Протокол Word"/"Протокол Excel", the Excel
// protocol settings window and the export panel in the running program.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QToolButton>

#include <filesystem>

#include "common/cp1251.h"
#include "chromfile/forms/pasp.h"
#include "common/files.h"
#include "platform/office/workbook.h"
#include "platform/qt/qt_text.h"
#include "results/forms/ustexl7.h"
#include "results/office_protocols.h"
#include "tests/support/office_suite.h"
#include "tests/support/program_fixture.h"

namespace vk7 {
namespace {

namespace fs = std::filesystem;

class OfficeProtocolWindows : public ::testing::Test, public test::ProgramFixture {
protected:
    void SetUp() override {
        installBlank("doc", "prot.xlsx");
        installBlank("doc", "pr.docx");
        installBlank("space", "protex.dat");
        start();
    }
    void TearDown() override {
        form.reset();
        EXPECT_TRUE(dialogs.unexpected().empty()) << dialogs.unexpected().front();
    }
    // A key typed into a box that has the focus.
    void typeInto(QWidget* box, int key, const QString& text) {
        box->setFocus();
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(box, &press);
        QApplication::processEvents();
    }
    // With VK7_SCREENSHOTS set, a written file is kept there to be looked at.
    void keep(const fs::path& file) {
        if (const char* out = std::getenv("VK7_SCREENSHOTS"))
            fs::copy_file(file, fs::path(out) / file.filename(), fs::copy_options::overwrite_existing);
    }
    void grab(QWidget* w, const char* name) {
        if (const char* out = std::getenv("VK7_SCREENSHOTS"))
            w->grab().save(QString::fromStdString((fs::path(out) / name).string()));
    }
};

TEST_F(OfficeProtocolWindows, WordAndExcelFromThePeakTable) {
    // Before any protocol the menu says so.
    form->Word1->trigger();
    form->Excel3->trigger();
    EXPECT_EQ(dialogs.messageTexts(), (std::vector<std::string>{RU("Нет файла \\results\\prot.docx"),
                                                                 RU("Нет файла \\results\\prot.xlsx")}));
    dialogs.clear();

    openOne(dir.path() / "DATA" / "h1a.hrm");
    pressEnter();
    ASSERT_EQ(table->rowCount(), 3);

    // The operator typed while the settings window is open reaches the protocol.
    TForm19* settings = form->windows().Form19;
    form->ExcelSettings1->trigger();
    QApplication::processEvents();
    ASSERT_TRUE(settings->isVisible());
    EXPECT_EQ(settings->Label1->text(), QStringLiteral("prot.xlsx"));
    EXPECT_EQ(settings->Edit1->text(), QStringLiteral("1"));
    settings->Edit2->setFocus();
    for (QChar ch : toQString(RU("Иванов"))) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(settings->Edit2, &press);
    }
    EXPECT_EQ(LoadExcelProtocolSettings(StartFolder(dir.path()), true).Operator, RU("Иванов"));
    grab(settings, "ustexl7.png");

    table->SpeedButton5->click();  // Word
    const fs::path docx = dir.path() / "results" / "prot.docx";
    ASSERT_EQ(shell.opened, std::vector<fs::path>{docx});
    {
        // The table of the marked peaks: its caption line, one line per peak, then the blank's
        // own closing line.
        const auto lines = test::docxParagraphs(docx);
        ASSERT_GE(lines.size(), 5u);
        EXPECT_TRUE(lines[lines.size() - 5].starts_with(toUtf8(RU("t, мин\t"))));
        for (int r = 1; r <= 3; ++r)
            EXPECT_TRUE(lines[lines.size() - 5 + static_cast<size_t>(r)].starts_with(toUtf8(table->cellText(r, CellTime))));
        EXPECT_EQ(lines.back(), toUtf8(RU("Анализ выполнил: ______________")));
    }
    table->SpeedButton4->click();  // Excel
    const fs::path xlsx = dir.path() / "results" / "prot.xlsx";
    ASSERT_EQ(shell.opened.size(), 2u);
    EXPECT_EQ(shell.opened[1], xlsx);
    EXPECT_EQ(settings->Edit1->text(), QStringLiteral("2"));
    {
        Workbook book = Workbook::fromBlank(xlsx);
        Sheet s = book.sheet(1);
        EXPECT_EQ(s.text(1, 6), "1");
        EXPECT_EQ(s.text(2, 3), "10.12.2025");
        EXPECT_EQ(s.text(4, 1), RU("Хроматограмма h1a.hrm"));
        EXPECT_EQ(s.text(24, 3), RU("h, мВ"));
        EXPECT_EQ(s.text(25, 10), RU("бензол"));
        EXPECT_EQ(s.text(25, 8), table->cellText(1, CellConc));
        EXPECT_EQ(s.text(7, 1), form->windows().Form2->grid().Captions[0]);
        EXPECT_EQ(s.text(29, 1), RU("Оператор: Иванов"));
    }
    keep(docx);
    keep(xlsx);
    // The menu shows them again, and neither changes the number.
    form->Word1->trigger();
    form->Excel3->trigger();
    EXPECT_EQ(shell.opened.size(), 4u);
    EXPECT_EQ(LoadExcelProtocolSettings(StartFolder(dir.path()), true).Number, 2);
    EXPECT_TRUE(dialogs.messageTexts().empty());

    settings->SpeedButton2->click();
    EXPECT_EQ(st().HelpPage, 20);
}

TEST_F(OfficeProtocolWindows, TheChooserTakesBlanksOfTheDocFolderOnly) {
    TForm19* settings = form->windows().Form19;
    settings->show();
    QApplication::processEvents();
    dir.write("doc/my_long_protocol_blank_1.xlsx", "x");
    dialogs.expectOpenOne(dir.path() / "doc" / "my_long_protocol_blank_1.xlsx");
    settings->SpeedButton1->click();
    EXPECT_EQ(dialogs.shown().back().file.title, RU("Выбор бланка"));
    EXPECT_EQ(dialogs.shown().back().file.filter, "*.xlsx |*.xlsx");
    EXPECT_EQ(settings->Label1->text(), QStringLiteral("my_long_protocol_blank_1.xlsx"));
    EXPECT_EQ(readLines(dir.path() / "space" / "protex.dat")[0], "my_long_protocol_blank_1.xlsx");

    dir.write("documents/b.xlsx", "x");
    dialogs.expectOpenOne(dir.path() / "documents" / "b.xlsx");
    settings->SpeedButton1->click();
    EXPECT_EQ(dialogs.messageTexts().back(), RU("Бланк должен лежать в папке \\doc\\"));
    EXPECT_EQ(settings->Label1->text(), QStringLiteral("my_long_protocol_blank_1.xlsx"));
}

TEST_F(OfficeProtocolWindows, ExportPanel) {
    openOne(dir.path() / "DATA" / "h1a.hrm");
    const int count = st().Chrom.PointCount();
    ASSERT_GT(count, 300);
    form->Excel2->trigger();
    QApplication::processEvents();
    ASSERT_TRUE(form->Panel11->isVisible());
    EXPECT_EQ(form->Edit7->text(), QString::number(count));
    EXPECT_EQ(form->Label6->text(), toQString(RU("точек")));
    grab(form.get(), "export_panel.png");

    // Refused counts keep the panel open.
    form->Edit7->setText(QStringLiteral("0"));
    typeInto(form->Edit7, Qt::Key_Return, QStringLiteral("\r"));
    ASSERT_FALSE(dialogs.messageTexts().empty());
    EXPECT_EQ(dialogs.messageTexts().back(), RU("Введите число точек от 1 до ") + std::to_string(count));
    EXPECT_TRUE(form->Panel11->isVisible());
    EXPECT_FALSE(fs::exists(dir.path() / "results" / "points.xlsx"));

    form->Edit7->setText(QStringLiteral("100"));
    form->SpeedButton37->click();
    EXPECT_FALSE(form->Panel11->isVisible());
    ASSERT_EQ(shell.opened, std::vector<fs::path>{dir.path() / "results" / "points.xlsx"});
    EXPECT_EQ(form->ProgressBar1->value(), 100);
    Workbook book = Workbook::fromBlank(dir.path() / "results" / "points.xlsx");
    EXPECT_EQ(book.sheet(1).value(1, 1), 0);
    EXPECT_FALSE(book.sheet(1).text(100, 2).empty());

    // Esc in the box closes the panel.
    form->Excel2->trigger();
    typeInto(form->Edit7, Qt::Key_Escape, {});
    EXPECT_FALSE(form->Panel11->isVisible());
    EXPECT_EQ(st().ProgramMode, ModeShown);
}

}  // namespace
}  // namespace vk7
