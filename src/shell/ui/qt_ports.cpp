#include "shell/ui/qt_ports.h"

#include <thread>

#include <QApplication>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>
#include <deque>
#include <QCoreApplication>
#include <QMessageBox>
#include <QThread>

#include "platform/desktop_session.h"
#include "shell/start_up.h"

namespace burnmark {

namespace {

QMessageBox::Icon ToQt(MsgIcon icon) {
    switch (icon) {
        case MsgIcon::Error: return QMessageBox::Critical;
        case MsgIcon::Warning: return QMessageBox::Warning;
        case MsgIcon::Information: return QMessageBox::Information;
        case MsgIcon::Question: return QMessageBox::Question;
        case MsgIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToQt(MsgButtons buttons) {
    switch (buttons) {
        case MsgButtons::Ok: return QMessageBox::Ok;
        case MsgButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
        case MsgButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
        case MsgButtons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

// The title a box shows. On X11 Qt gives a window without a title the
// program's name; a blank title shows none.
QString BoxTitle(const std::string& title) {
    return title.empty() ? QStringLiteral(" ") : QString::fromStdString(title);
}

MsgAnswer FromQt(int result, MsgButtons buttons) {
    switch (result) {
        case QMessageBox::Ok: return MsgAnswer::Ok;
        case QMessageBox::Yes: return MsgAnswer::Yes;
        case QMessageBox::No: return MsgAnswer::No;
        case QMessageBox::Cancel: return MsgAnswer::Cancel;
        default: break;
    }
    // Closed without a button (Escape): the answer that changes nothing.
    switch (buttons) {
        case MsgButtons::Ok: return MsgAnswer::Ok;
        case MsgButtons::YesNo: return MsgAnswer::No;
        case MsgButtons::OkCancel:
        case MsgButtons::YesNoCancel: return MsgAnswer::Cancel;
    }
    return MsgAnswer::Cancel;
}

}  // namespace

void NameApplication() {
    QCoreApplication::setApplicationName(QString::fromLatin1(kProductCaption));
}

QWidget* QtMessages::BoxOwner() const {
    // A modal window in front (the option pages stay on top) owns the box, so
    // that the box comes up over it and not behind it.
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return owner_;
}

void QtMessages::ShowMessage(const std::string& text) {
    // The plain message dialog has no title of its own.
    QMessageBox box(QMessageBox::NoIcon, BoxTitle({}), QString::fromStdString(text),
                    QMessageBox::Ok, BoxOwner());
    box.exec();
}

MsgAnswer QtMessages::MessageBox(const std::string& text, const std::string& title,
                                 MsgButtons buttons, MsgIcon icon) {
    QMessageBox box(ToQt(icon), BoxTitle(title), QString::fromStdString(text), ToQt(buttons),
                    BoxOwner());
    if (buttons == MsgButtons::YesNo) box.setEscapeButton(QMessageBox::No);
    return FromQt(box.exec(), buttons);
}

// ---- Sounds --------------------------------------------------------------------------------

struct QtSounds::Player : QObject {
    enum class Kind { Pass, Fail, Gap };
    struct Entry {
        Kind kind;
        int milliseconds;  // the gap's length
    };

    // A beep, where no audio output exists, is heard for about this long.
    static constexpr int kBeepMs = 160;

    Player() {
        // Asking for the devices without a sound server only prints a warning.
        audio = SoundServerMayAnswer(SoundServerPlacesOfThisProcess()) &&
                !QMediaDevices::audioOutputs().isEmpty();
        if (!audio) return;
        for (auto [effect, file] : {std::pair{&pass, "qrc:/sounds/pass.wav"},
                                    std::pair{&fail, "qrc:/sounds/fail.wav"}}) {
            *effect = new QSoundEffect(this);
            (*effect)->setSource(QUrl(QString::fromLatin1(file)));
            (*effect)->setVolume(0.8f);
            connect(*effect, &QSoundEffect::playingChanged, this, [this, e = *effect] {
                if (!e->isPlaying() && current == e) Finished();
            });
        }
    }

    void Add(Entry entry) {
        queue.push_back(entry);
        if (!busy) Next();
    }

    void Next() {
        busy = false;
        current = nullptr;
        if (queue.empty()) return;
        const Entry entry = queue.front();
        queue.pop_front();
        busy = true;
        if (entry.kind == Kind::Gap) {
            QTimer::singleShot(entry.milliseconds, this, [this] { Next(); });
            return;
        }
        QSoundEffect* effect = entry.kind == Kind::Pass ? pass : fail;
        if (!audio || !effect || effect->status() == QSoundEffect::Error) {
            QApplication::beep();
            QTimer::singleShot(kBeepMs, this, [this] { Next(); });
            return;
        }
        current = effect;
        effect->play();
        // A sound that never reports its end must not stop the queue.
        QTimer::singleShot(2000, this, [this, effect] {
            if (current == effect) Finished();
        });
    }

    void Finished() {
        current = nullptr;
        Next();
    }

    bool audio = false;
    bool busy = false;
    QSoundEffect* pass = nullptr;
    QSoundEffect* fail = nullptr;
    QSoundEffect* current = nullptr;
    std::deque<Entry> queue;
};

QtSounds::QtSounds() : player_(std::make_unique<Player>()) {}

QtSounds::~QtSounds() = default;

bool QtSounds::ErrorSound() {
    player_->Add({Player::Kind::Fail, 0});
    return true;
}

bool QtSounds::DefaultBeep() {
    player_->Add({Player::Kind::Pass, 0});
    return true;
}

void QtSounds::Pause(int milliseconds) {
    if (milliseconds > 0) player_->Add({Player::Kind::Gap, milliseconds});
}

bool QtSounds::HasAudioOutput() const { return player_->audio; }

int QtSounds::Pending() const {
    return static_cast<int>(player_->queue.size()) + (player_->busy ? 1 : 0);
}

void QtPump::ProcessEvents() { QCoreApplication::processEvents(); }

void QtPump::YieldSlice() { std::this_thread::yield(); }

}  // namespace burnmark
