// Where the main window starts: its stored bounds, kept where the user can reach them.
#include "settings/windowbounds.h"

#include <gtest/gtest.h>

namespace plavik {
namespace {

WindowGeometry Stored(int left, int top, int width, int height) {
    return {height, width, left, top, false};
}

TEST(WindowBounds, OnOrPartlyOnAScreenTheyStayAsStored) {
    const QList<QRect> screens = {QRect(0, 0, 1280, 1024), QRect(1280, 0, 1920, 1080)};
    EXPECT_EQ(BoundsOnScreens(Stored(10, 20, 600, 450), screens), QRect(10, 20, 600, 450));
    EXPECT_EQ(BoundsOnScreens(Stored(1000, 500, 600, 450), screens), QRect(1000, 500, 600, 450));
    EXPECT_EQ(BoundsOnScreens(Stored(2900, 900, 600, 450), screens), QRect(2900, 900, 600, 450));
}

TEST(WindowBounds, OffEveryScreenTheyComeBackTheShortestWay) {
    const QList<QRect> screens = {QRect(0, 0, 1280, 1024)};
    EXPECT_EQ(BoundsOnScreens(Stored(5000, 300, 600, 450), screens), QRect(680, 300, 600, 450));
    EXPECT_EQ(BoundsOnScreens(Stored(-3000, -3000, 600, 450), screens), QRect(0, 0, 600, 450));
    // The title bar above the screen's top cannot be grabbed, though the rest shows.
    EXPECT_EQ(BoundsOnScreens(Stored(100, -20, 600, 450), screens), QRect(100, 0, 600, 450));
    // Only a corner of the title bar shows.
    EXPECT_EQ(BoundsOnScreens(Stored(1250, 100, 600, 450), screens), QRect(680, 100, 600, 450));
}

TEST(WindowBounds, OffEveryScreenTheyGoToTheOneTheyOverlapMostOrTheFirst) {
    const QList<QRect> screens = {QRect(0, 0, 1280, 1024), QRect(1280, 0, 1920, 1080)};
    EXPECT_EQ(BoundsOnScreens(Stored(2000, -100, 600, 450), screens), QRect(2000, 0, 600, 450));
    EXPECT_EQ(BoundsOnScreens(Stored(9000, 9000, 600, 450), screens), QRect(680, 574, 600, 450));
}

TEST(WindowBounds, TooLargeForTheScreenTheyShrinkToIt) {
    const QList<QRect> screens = {QRect(0, 24, 1280, 1000)};
    EXPECT_EQ(BoundsOnScreens(Stored(0, 24, 2165, 450), screens), QRect(0, 24, 1280, 450));
    EXPECT_EQ(BoundsOnScreens(Stored(100, 100, 3000, 3000), screens), QRect(0, 24, 1280, 1000));
}

TEST(WindowBounds, WithoutScreensTheyStayAsStored) {
    EXPECT_EQ(BoundsOnScreens(Stored(-5, 7, 600, 450), {}), QRect(-5, 7, 600, 450));
}

// A first start: the wanted size centred on the screen's available area, cut to it where it is larger.
TEST(WindowBounds, FirstStartIsCentredAndFitsTheScreen) {
    EXPECT_EQ(FirstStartBounds(QSize(1070, 557), QRect(0, 0, 1600, 1000)), QRect(265, 221, 1070, 557));
    EXPECT_EQ(FirstStartBounds(QSize(1070, 557), QRect(1600, 30, 1280, 970)), QRect(1705, 236, 1070, 557));
    EXPECT_EQ(FirstStartBounds(QSize(1070, 557), QRect(0, 0, 800, 600)), QRect(0, 21, 800, 557));
    EXPECT_EQ(FirstStartBounds(QSize(1070, 557), QRect(0, 0, 640, 480)), QRect(0, 0, 640, 480));
}

} // namespace
} // namespace plavik
