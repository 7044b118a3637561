#include <gtest/gtest.h>

#include <QApplication>
#include <QPalette>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // System colours that differ from one another, so a widget painted in the wrong one is seen.
    QPalette palette = QApplication::palette();
    palette.setColor(QPalette::Button, QColor(212, 208, 200));
    palette.setColor(QPalette::WindowText, QColor(16, 16, 16));
    QApplication::setPalette(palette);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
