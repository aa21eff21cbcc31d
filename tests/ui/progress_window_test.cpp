#include "buffer/ui/progress_window.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QProgressBar>
#include <QScreen>
#include <vector>

namespace burnmark {
namespace {

TEST(ProgressWindowTest, LayoutStepsAndFinishPause) {
    TProgressWindow window;
    std::vector<int> pauses;
    window.SetPauseFunction([&](int ms) { pauses.push_back(ms); });

    EXPECT_EQ(window.windowTitle(), "Progress");
    EXPECT_EQ(window.size(), QSize(295, 39));
    EXPECT_FALSE(window.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMinMaxButtonsHint);
    QProgressBar* bar = window.findChild<QProgressBar*>("Progress");
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->geometry(), QRect(10, 10, 277, 21));
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 100);
    const QRect desk = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(window.x(), desk.left() + (desk.width() - 295) / 2);
    EXPECT_EQ(window.y(), desk.top() + (desk.height() - 39) / 2);

    EXPECT_FALSE(window.Shown());
    window.SetCaption("Fill Buffer");
    window.Show();
    EXPECT_TRUE(window.Shown());
    EXPECT_EQ(window.windowTitle(), "Fill Buffer");

    // A pass of 103 pieces never pushes the bar past its maximum.
    window.ProgressSetPosition(0);
    for (int i = 0; i < 40; ++i) window.ProgressStep();
    EXPECT_EQ(bar->value(), 40);
    for (int i = 0; i < 63; ++i) window.ProgressStep();
    EXPECT_EQ(bar->value(), 100);

    window.ProgressSetPosition(0);
    EXPECT_TRUE(pauses.empty());
    window.ProgressFinish();
    EXPECT_EQ(bar->value(), 100);
    EXPECT_EQ(pauses, std::vector<int>{100});

    window.Close();
    EXPECT_FALSE(window.Shown());
    EXPECT_FALSE(window.isVisible());
}

}  // namespace
}  // namespace burnmark
