// The window's media: players on Qt Multimedia, sounds, and the views of the timer, clock and
// media parts. dev_qt_time_install() hands them to the layers below (the window module does so
// when it loads; a test calls it).
#pragma once
#include "devices/devdoor.h"

#include <QPointer>

class QMediaPlayer;
class QAudioOutput;

class DEV_QTMEDIA final : public DEV_MEDIA {
public:
    DEV_QTMEDIA();
    ~DEV_QTMEDIA() override;
    int media_open(const char *file) override;
    int media_close() override;
    int media_play() override;
    int media_stop() override;
    long media_length() override;
    long media_position() override;
    int media_seek(long ms) override;
    STATE media_state() override;
    int media_volume(int vol) override;
    QPointer<QMediaPlayer> player;   // a video view shows its picture

private:
    QAudioOutput *out = nullptr;
    bool opened = false;
};

void dev_qt_time_install();
