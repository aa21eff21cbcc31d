// The program's two sounds: kept as resources, told apart, and played one
// after the other without holding the window.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#include "shell/ui/qt_ports.h"

namespace burnmark {
namespace {

QByteArray Resource(const char* name) {
    QFile file(QString::fromLatin1(name));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

TEST(QtSoundsTest, PassAndFailureAreTwoDifferentSoundsOfOurOwn) {
    const QByteArray pass = Resource(":/sounds/pass.wav");
    const QByteArray fail = Resource(":/sounds/fail.wav");
    ASSERT_GT(pass.size(), 44);
    ASSERT_GT(fail.size(), 44);
    EXPECT_TRUE(pass.startsWith("RIFF") && pass.mid(8, 4) == "WAVE");
    EXPECT_NE(pass, fail);
    // Both are short: the longer failure under half a second of 16-bit mono at 44.1 kHz.
    EXPECT_LT(fail.size(), 44100 * 2 / 2);
}

TEST(QtSoundsTest, ASequenceIsQueuedAndPlayedInTurnWithoutWaiting) {
    QtSounds sounds;
    QElapsedTimer clock;
    clock.start();
    // A failure in the three-beep shape: beep, 50 ms, beep, beep.
    EXPECT_TRUE(sounds.DefaultBeep());
    sounds.Pause(50);
    EXPECT_TRUE(sounds.DefaultBeep());
    EXPECT_TRUE(sounds.DefaultBeep());
    EXPECT_TRUE(sounds.ErrorSound());
    EXPECT_LT(clock.elapsed(), 40);  // nothing waited for a sound
    EXPECT_EQ(sounds.Pending(), 5);
    EXPECT_TRUE(QTest::qWaitFor([&] { return sounds.Pending() == 0; }, 10000));
    // Four sounds and the gap, each after the one before.
    EXPECT_GE(clock.elapsed(), 50 + (sounds.HasAudioOutput() ? 4 * 100 : 4 * 150));
}

}  // namespace
}  // namespace burnmark
