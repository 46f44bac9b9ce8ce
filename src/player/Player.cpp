#include "player/Player.h"

#include <algorithm>

#include "model/Document.h"
#include "model/Settings.h"
#include "player/PlayLoop.h"

namespace quillon {

namespace {

const QString kTestRateMessage = QStringLiteral("Play show to test Frame Rate");

bool IsPlayMode(int m) {
    return m >= kFastBackwards && m <= kFastForward;
}

}  // namespace

int MaxJogAmount(int frameRate) {
    const int64_t rate = frameRate < 50 ? settings::kDefaultFrameRate : frameRate;
    return static_cast<int>(std::clamp<int64_t>(rate * 60 / 100, 1, INT32_MAX));
}

Player::Player(Document& document, QObject* parent) : QObject(parent), doc_(document) {
    const Profile& profile = doc_.profile();
    jogAmount_ = std::clamp(settings::Get(profile, settings::kJogAmount), 1, maxJogAmount());
    moveCamera_ = settings::Get(profile, settings::kMoveCamera) != 0;
    playAudio_ = settings::Get(profile, settings::kPlayAudio) != 0;
}

int Player::maxJogAmount() const {
    return MaxJogAmount(doc_.frameRate());
}

bool Player::Start(int m) {
    if (!loop_ || !IsPlayMode(m)) return false;
    loop_->SetMode(m);
    return true;
}

void Player::Stop() {
    if (loop_)
        loop_->SetMode(kStopped);
    else
        StoreMode(kStopped);
}

bool Player::PlayOrStop() {
    if (mode_ == kPlayForwards) {
        Stop();
        return true;
    }
    return Start(kPlayForwards);
}

bool Player::FullScreenPlay() {
    if (!loop_) return false;
    loop_->FullScreenPlay();
    return true;
}

void Player::StoreMode(int m) {
    if (!IsPlayMode(m) || m == mode_) return;
    mode_ = m;
    emit modeChanged(m);
}

void Player::Jog(int64_t step) {
    const int64_t target = int64_t(doc_.currentFrame()) + step;
    Stop();
    const int64_t last = int64_t(doc_.TotalFrames()) - 1;
    // An empty show has no last frame: frame 0 is the only place to go.
    const int frame = static_cast<int>(std::max<int64_t>(0, std::min(target, last)));
    doc_.UpdateViewsAtFrame(frame);
}

void Player::JogBack() {
    Jog(-int64_t(jogAmount_));
}

void Player::JogForward() {
    Jog(jogAmount_);
}

void Player::ToggleRange() {
    rangeOn_ = !rangeOn_;
    emit rangeChanged();
}

void Player::MarkRangeStart() {
    const int current = doc_.currentFrame();
    rangeOn_ = true;
    if (rangeEnd_ < current) {
        rangeStart_ = rangeEnd_;
        rangeEnd_ = current;
    } else {
        rangeStart_ = current;
    }
    emit rangeChanged();
}

void Player::MarkRangeEnd() {
    const int current = doc_.currentFrame();
    rangeOn_ = true;
    if (current < rangeStart_) {
        rangeEnd_ = rangeStart_;
        rangeStart_ = current;
    } else {
        rangeEnd_ = current;
    }
    emit rangeChanged();
}

void Player::NextCamera() {
    if (doc_.rostrumMode()) return;
    // A count of 0 is what the preferences store for a choice of four; stepping modulo 0 has no
    // meaning, so such a count leaves the camera where it is.
    const int count = std::min(doc_.settings().cameras, 4);
    if (count < 1) return;
    doc_.SetActiveCamera((doc_.activeCamera() + 1) % count);
    // The monitor and the timeline's camera row show the new camera at once.
    doc_.UpdateViewsAtFrame(doc_.currentFrame(), Refresh::kViews);
}

void Player::ToggleMoveCamera() {
    moveCamera_ = !moveCamera_;
    settings::Write(doc_.profile(), settings::kMoveCamera, moveCamera_ ? 1 : 0);
    emit moveCameraChanged(moveCamera_);
}

void Player::TogglePlayAudio() {
    playAudio_ = !playAudio_;
    settings::Write(doc_.profile(), settings::kPlayAudio, playAudio_ ? 1 : 0);
    emit playAudioChanged(playAudio_);
}

void Player::RequestFrameRateTest() {
    testRate_ = true;
    doc_.host().Message(kTestRateMessage);
}

int Player::ApplyJogAmount(int64_t frames) {
    jogAmount_ = static_cast<int>(std::clamp<int64_t>(frames, 1, maxJogAmount()));
    settings::Write(doc_.profile(), settings::kJogAmount, jogAmount_);
    emit jogAmountChanged(jogAmount_);
    return jogAmount_;
}

}  // namespace quillon
