// The player's session: what it plays, what it shows and what the listener asked for, with
// the commands that change it. The window and the desktop's media controls are views of it:
// they read the getters, follow the signals and call the commands.
//
// Window's thread only. Each change signal fires once per real change, after the new value
// is in place; a setter or step that leaves a value as it was fires nothing.
//
// Storage. The process-wide names StationName, StreamUrl, SiteAddress (sources/Station.h),
// NowPlaying (stream/StatusDisplay.h), StreamChannel, IsWmaStream, ChannelInfo and WorkerThread
// (stream/SharedState.h) stay as the storage of this session, because station selection, the
// status display, the connection worker and the engine callbacks read them where they run.
// They are written only on the window's thread inside an entry point of the Player: one of
// its commands, or a status or worker step the Player receives as the status window. Each
// entry point ends by publishing what changed. Constructing a Player starts a fresh session:
// the storage is emptied and every older worker is superseded. One Player at a time.
#pragma once

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <string>

#include "engine/bass.h"
#include "stream/StatusLabels.h"

namespace player {

class Player : public QObject, private stream::StatusLabels {
  Q_OBJECT

 public:
  explicit Player(QObject* parent = nullptr);
  ~Player() override;

  // Station texts (code page 1254 or UTF-8 bytes, as their sources gave them).
  const std::string& StationName() const;
  const std::string& StreamUrl() const;
  const std::string& SiteAddress() const;
  // The latest title, at most 58 characters.
  const std::string& NowPlaying() const;
  // The current stream (0 when none), whether it carries WMA header tags, its format record.
  HSTREAM Channel() const;
  bool IsWma() const;
  const BASS_CHANNELINFO& ChannelInfo() const;
  // The generation of the last worker started while it runs; 0 once it has ended.
  std::uint64_t WorkerGeneration() const;
  // The two text lines and the two format labels, as the window shows them.
  const std::string& StatusLine() const { return statusLine_; }
  const std::string& TitleLine() const { return titleLine_; }
  const std::string& KbpsText() const { return kbps_; }
  const std::string& HzText() const { return hz_; }
  // The listener's wish: play (the watchdog reconnects) or stop. True from the start.
  bool WantsToPlay() const { return wantsToPlay_; }
  // Volume in percent, 0..100, as the slider shows it.
  int Volume() const { return volume_; }
  bool Muted() const { return muted_; }
  // The channel plays and the output runs. Refreshed by the commands and every
  // kPlayingPollMs while the session lives.
  bool Playing() const { return playing_; }

  static constexpr int kPlayingPollMs = 250;

 public Q_SLOTS:
  // Station selection and restart of the stream. Raises sources::InputError when a file
  // exists but cannot be read; nothing is restarted then (the texts keep what they held).
  void OpenStation(const std::string& path);
  // Reconnects on the current address and switches the watchdog on.
  void Play();
  // Switches the watchdog off and stops the output.
  void Stop();
  void Mute();
  void Unmute();
  // A new volume position (held within 0..100); the engine follows a real change only.
  void SetVolume(int position);
  // The volume position from the engine's output volume.
  void SetVolumeFromEngine();
  // One tick of the watchdog: reconnects unless the channel plays.
  void WatchdogTick();
  // Re-reads whether the channel plays.
  void RefreshPlaying();

 Q_SIGNALS:
  void stationNameChanged();
  void streamUrlChanged();
  void siteAddressChanged();
  void nowPlayingChanged();
  void channelChanged();  // the handle or IsWma
  void channelInfoChanged();
  void workerChanged();
  void statusLineChanged();
  void titleLineChanged();
  void kbpsChanged();
  void hzChanged();
  // The status line must be on screen now, not at the next idle moment.
  void statusLineRepaintRequested();
  void wantsToPlayChanged();
  void volumeChanged();
  void mutedChanged();
  void playingChanged();

 private:
  // stream::StatusLabels: how statuses and worker steps reach the session.
  void SetLabel4(const std::string& text) override;
  void SetLabel3(const std::string& text) override;
  void SetKbps(const std::string& text) override;
  void SetHz(const std::string& text) override;
  void RepaintLabel4() override;
  void Handled() override;

  // Compares the storage with what was last published and signals each difference.
  void Publish();
  void SetWantsToPlay(bool wants);
  void SetMuted(bool muted);

  // What the views last heard of the storage.
  struct Published {
    std::string stationName, streamUrl, siteAddress, nowPlaying;
    HSTREAM channel = 0;
    bool isWma = false;
    BASS_CHANNELINFO channelInfo{};
    std::uint64_t worker = 0;
  };
  Published published_;
  std::string statusLine_, titleLine_;
  std::string kbps_ = "0 kbps aac";
  std::string hz_ = "0 Hz";
  bool wantsToPlay_ = true;
  int volume_ = 0;
  bool muted_ = false;
  bool playing_ = false;
  bool outputRuns_ = true;  // the engine's output: stopped by Stop, resumed by every restart
  QTimer playingPoll_;
};

}  // namespace player
