#pragma once
// TSnapForm: the splash window of the start-up, and the owner of the hot key for today's
// note. Creating it takes the hot key through the core; closing it gives the key back. After
// start-up it stays alive, hidden, so the key keeps working for the whole run.
//
// HoldSplash and SplashHoldOver: how long the splash stays on screen, by the clock's ticks.

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <functional>

namespace orvenna::platform {
class TClock;
}

namespace orvenna::app {

class TAppCore;

// Whole seconds on the splash: the hold starts at the tick count's whole second and lasts
// until three whole seconds later, so between 2 and 3 seconds.
inline constexpr std::uint32_t SplashHoldSeconds = 3;

// Whether a hold that started at startTicks is over at nowTicks. Never longer than
// SplashHoldSeconds, even when the tick count wraps round during the hold.
bool SplashHoldOver(std::uint32_t startTicks, std::uint32_t nowTicks);

// Waits, calling pause between looks at the clock, until the hold is over. Without a pause it
// sleeps 1 ms at a time and lets the splash paint (no user input is taken meanwhile).
void HoldSplash(const platform::TClock& clock, const std::function<void()>& pause = {});

class TSnapForm final : public QWidget {
    Q_OBJECT

public:
    // Borderless, 402 x 240, white, centred on the primary screen. Takes the hot key (a key
    // already taken by another program leaves the run without one, silently).
    explicit TSnapForm(TAppCore& core, QWidget* parent = nullptr);
    ~TSnapForm() override;

    // The picture drawn from the top-left: 420 x 204, wider than the window.
    static QImage Picture();
    // Runs the task once, when the event loop runs next after the splash's first paint (its
    // picture on screen by then), or after this call when it has painted already.
    void AfterFirstPaint(std::function<void()> task);

protected:
    void paintEvent(QPaintEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void ReleaseHotKey();

    TAppCore& Core;
    bool HoldsKey = false;
    QImage Face;  // the picture while the splash shows
    bool Painted = false;
    std::function<void()> PaintedTask;  // AfterFirstPaint's, until it runs
};

}  // namespace orvenna::app
