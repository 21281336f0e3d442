// Baseline for start-up time and memory: a bare Qt Widgets program showing
// one 802 x 632 frameless window with one push button.
#include <QApplication>
#include <QPushButton>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window(nullptr, Qt::Window | Qt::FramelessWindowHint);
    window.setFixedSize(802, 632);
    QPushButton button(QStringLiteral("Start"), &window);
    button.setGeometry(664, 464, 65, 49);
    window.show();
    return QApplication::exec();
}
