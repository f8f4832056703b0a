// The F12 diagnostics of the main window on the command output: an output device that holds
// more than two buffers is named with its buffer beside the regime grid; one that does not
// adds nothing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "common/cp1251.h"
#include "common/files.h"
#include "platform/qt/qt_text.h"
#include "platform/scripted_dialogs.h"
#include "platform/simulated_box.h"
#include "tests/acquisition/forms/acquisition_windows.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

// An output that plays nothing: a write waits until the worker is told to end. Its device
// buffer is what the test says.
class QuietOutput : public SoundOutput {
public:
    explicit QuietOutput(std::string note) : note_(std::move(note)) {}
    bool open(int) override { return true; }
    void waitForRoom(int) override { wait(); }
    void write(const int16_t*, int) override { wait(); }
    void interrupt() override {
        std::lock_guard lock(m_);
        interrupted_ = true;
        cv_.notify_all();
    }
    void close() override {}
    std::string bufferNote() const override { return note_; }

private:
    void wait() {
        std::unique_lock lock(m_);
        cv_.wait(lock, [&] { return interrupted_; });
    }
    std::string note_;
    std::mutex m_;
    std::condition_variable cv_;
    bool interrupted_ = false;
};

TEST(OutputDiagnostics, ADeviceBufferLargerThanTwoBuffersIsShownWithF12) {
    struct Case { std::string note; bool shown; };
    for (const Case& c : {Case{RU("Выход default: буфер 557 мс вместо 372 мс"), true}, Case{"", false}}) {
        test::TempDir dir;
        fs::copy_file(fs::path(VK7_SOURCE_DIR) / "install" / "vk7.dat", dir / "vk7.dat");
        fs::copy_file(fs::path(VK7_SOURCE_DIR) / "install" / "calibrvk", dir / "calibrvk");
        SimulatedBox box;
        ScriptedDialogs dialogs;
        FixedClock clock{LocalDateTime{2024, 5, 6, 14, 5, 0}};
        QuietOutput output(c.note);
        TForm1 form(StartFolder(dir.path()), box, dialogs, clock, [](int) {}, nullptr, &output);
        form.show();
        QApplication::processEvents();
        test::typeKey(&form, Qt::Key_Escape);
        EXPECT_FALSE(form.OutputLabel->isVisible());
        test::typeKey(&form, Qt::Key_F12);
        EXPECT_EQ(form.OutputLabel->isVisible(), c.shown);
        if (c.shown) {
            EXPECT_EQ(fromQString(form.OutputLabel->text()), c.note);
            // Whole within the window, on two lines beside the grid.
            EXPECT_LE(form.OutputLabel->geometry().right(), form.width());
            EXPECT_GE(form.OutputLabel->height(), 2 * form.OutputLabel->fontMetrics().height());
            if (const char* out = std::getenv("VK7_SCREENSHOTS"))
                form.grab().save(QString::fromUtf8(out) + "/vk7r_output_note.png");
        }
        test::typeKey(&form, Qt::Key_F12);
        EXPECT_FALSE(form.OutputLabel->isVisible());
        EXPECT_TRUE(form.close());
    }
}

}  // namespace
}  // namespace vk7
