// Media players and sounds on Qt Multimedia. Everything returns at once: the player loads and
// plays in the background, and where no sound device exists a sound fails instead of waiting.
#include "devices/qt/devqtmedia.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QCoreApplication>
#include <QFile>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QUrl>
#include <cmath>
#include <unistd.h>

namespace {

QUrl file_url(const char *file) { return QUrl::fromLocalFile(QFile::decodeName(file)); }

bool readable(const char *file) { return file && *file && access(file, R_OK) == 0; }

// The sounds of sound(): one player, a new sound replacing the one playing.
class QT_MEDIA_MAKER final : public DEV_MEDIA_MAKER {
public:
    DEV_MEDIA *media_new() override { return new DEV_QTMEDIA; }
    int media_sound(const char *file) override
    {
        if (!file) return -1;
        if (!*file) {
            if (sound) sound->stop();
            return 0;
        }
        if (!readable(file) || QMediaDevices::audioOutputs().isEmpty()) return -1;
        if (!sound) {
            sound = new QMediaPlayer(qApp);   // goes with the application
            sound->setAudioOutput(new QAudioOutput(sound));
        }
        sound->stop();
        sound->setSource(file_url(file));
        if (sound->error() != QMediaPlayer::NoError) return -1;
        sound->play();
        return 0;
    }

private:
    QPointer<QMediaPlayer> sound;
};

} // namespace

DEV_QTMEDIA::DEV_QTMEDIA() : player(new QMediaPlayer), out(new QAudioOutput(player))
{
    player->setAudioOutput(out);
}

DEV_QTMEDIA::~DEV_QTMEDIA() { delete player.data(); }

int DEV_QTMEDIA::media_open(const char *file)
{
    if (!player || !readable(file)) return -1;
    player->stop();
    player->setSource(file_url(file));
    opened = player->error() == QMediaPlayer::NoError;
    return opened ? 0 : -1;
}

int DEV_QTMEDIA::media_close()
{
    if (!player || !opened) return -1;
    player->stop();
    player->setSource(QUrl());
    opened = false;
    return 0;
}

int DEV_QTMEDIA::media_play()
{
    if (!player || !opened) return -1;
    player->play();
    return player->error() == QMediaPlayer::NoError ? 0 : -1;
}

// A stop keeps the position, so that a play goes on from there.
int DEV_QTMEDIA::media_stop()
{
    if (!player || !opened) return -1;
    player->pause();
    return 0;
}

long DEV_QTMEDIA::media_length() { return player && opened ? long(player->duration()) : -1; }

long DEV_QTMEDIA::media_position() { return player && opened ? long(player->position()) : -1; }

int DEV_QTMEDIA::media_seek(long ms)
{
    if (!player || !opened || ms < 0) return -1;
    player->setPosition(ms);
    return 0;
}

DEV_MEDIA::STATE DEV_QTMEDIA::media_state()
{
    if (!player || !opened) return CLOSED;
    if (player->error() != QMediaPlayer::NoError || player->mediaStatus() == QMediaPlayer::InvalidMedia) return BROKEN;
    if (player->mediaStatus() == QMediaPlayer::LoadingMedia) return BUSY;
    return player->playbackState() == QMediaPlayer::PlayingState ? PLAYING : STOPPED;
}

int DEV_QTMEDIA::media_volume(int vol)
{
    if (!out || vol < 0 || vol > 1000) return -1;
    int old = int(std::lround(out->volume() * 1000));
    out->setVolume(float(vol) / 1000.0f);
    return old;
}

DEV_MEDIA_MAKER *dev_qt_media_maker()
{
    static QT_MEDIA_MAKER maker;
    return &maker;
}
