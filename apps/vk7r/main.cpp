// vk7r: the signal acquisition program.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QString::fromUtf8("ВМ-7. Прием."));
    QMainWindow window;
    window.setWindowTitle(QString::fromUtf8("Велетрон-7М. Прием сигналов."));
    window.resize(900, 600);
    window.show();
    return app.exec();
}
