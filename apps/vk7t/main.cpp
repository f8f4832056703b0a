// vk7t: the chromatogram processing program.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QString::fromUtf8("ВК-7. Обработка."));
    QMainWindow window;
    window.setWindowTitle(QString::fromUtf8("Велетрон-7. Обработка."));
    window.resize(900, 600);
    window.show();
    return app.exec();
}
