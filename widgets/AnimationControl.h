// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The busy animation: a clip of 28 frames of 58 by 32 pixels at 15 frames a
// second, drawn on a transparent background (the window colour shows
// through). It rests on its first frame while idle.

#include <QBasicTimer>
#include <QWidget>

namespace netsonde {

class AnimationControl : public QWidget {
    Q_OBJECT
public:
    static constexpr int kFrameCount = 28;
    static constexpr int kFrameWidth = 58;
    static constexpr int kFrameHeight = 32;
    static constexpr int kFrameIntervalMs = 67; // 15 frames a second

    explicit AnimationControl(QWidget* parent);

    // Opens the clip: the first frame shows.
    void Open();
    void Close();
    // Plays the whole clip, repeating without end.
    void Play();
    // Stops and shows the first frame again.
    void Stop();

    bool IsOpen() const { return m_open; }
    bool IsPlaying() const { return m_timer.isActive(); }
    int Frame() const { return m_frame; }

    QSize sizeHint() const override { return {kFrameWidth, kFrameHeight}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    bool m_open = false;
    int m_frame = 0;
    QBasicTimer m_timer;
};

} // namespace netsonde
