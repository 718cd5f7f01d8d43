#include "player/Player.h"

#include <cstring>

#include "sources/Station.h"
#include "stream/SharedState.h"
#include "stream/StatusDisplay.h"
#include "stream/StatusWindow.h"

namespace player {
namespace {

bool SameInfo(const BASS_CHANNELINFO& a, const BASS_CHANNELINFO& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;  // eight DWORDs, no padding
}

// Assigns and signals when the value differs; true when it did.
template <typename T, typename Signal>
bool Update(T& published, const T& now, Player* player, Signal signal) {
  if (published == now) return false;
  published = now;
  Q_EMIT(player->*signal)();
  return true;
}

}  // namespace

Player::Player(QObject* parent) : QObject(parent) {
  // Whatever an older session's workers still send is dropped.
  stream::ResetSession();
  stream::AttachStatusWindow(*this);

  playingPoll_.setInterval(kPlayingPollMs);
  connect(&playingPoll_, &QTimer::timeout, this, &Player::RefreshPlaying);
  playingPoll_.start();
}

Player::~Player() {
  stream::DetachStatusWindow();
}

const std::string& Player::StationName() const {
  return ::StationName;
}
const std::string& Player::StreamUrl() const {
  return ::StreamUrl;
}
const std::string& Player::SiteAddress() const {
  return ::SiteAddress;
}
const std::string& Player::NowPlaying() const {
  return ::NowPlaying;
}
HSTREAM Player::Channel() const {
  return StreamChannel.load();
}
bool Player::IsWma() const {
  return IsWmaStream.load();
}
const BASS_CHANNELINFO& Player::ChannelInfo() const {
  return ::ChannelInfo;
}
std::uint64_t Player::WorkerGeneration() const {
  return WorkerThread.load();
}

void Player::Publish() {
  Update(published_.stationName, ::StationName, this, &Player::stationNameChanged);
  Update(published_.streamUrl, ::StreamUrl, this, &Player::streamUrlChanged);
  Update(published_.siteAddress, ::SiteAddress, this, &Player::siteAddressChanged);
  Update(published_.nowPlaying, ::NowPlaying, this, &Player::nowPlayingChanged);
  const HSTREAM channel = StreamChannel.load();
  const bool isWma = IsWmaStream.load();
  if (channel != published_.channel || isWma != published_.isWma) {
    published_.channel = channel;
    published_.isWma = isWma;
    Q_EMIT channelChanged();
  }
  if (!SameInfo(published_.channelInfo, ::ChannelInfo)) {
    published_.channelInfo = ::ChannelInfo;
    Q_EMIT channelInfoChanged();
  }
  Update(published_.worker, WorkerThread.load(), this, &Player::workerChanged);
}

void Player::SetLabel4(const std::string& text) {
  Update(statusLine_, text, this, &Player::statusLineChanged);
}

void Player::SetLabel3(const std::string& text) {
  Update(titleLine_, text, this, &Player::titleLineChanged);
}

void Player::SetKbps(const std::string& text) {
  Update(kbps_, text, this, &Player::kbpsChanged);
}

void Player::SetHz(const std::string& text) {
  Update(hz_, text, this, &Player::hzChanged);
}

void Player::RepaintLabel4() {
  Q_EMIT statusLineRepaintRequested();
}

// After every status and worker step: they write the storage.
void Player::Handled() {
  Publish();
}

void Player::SetWantsToPlay(bool wants) {
  Update(wantsToPlay_, wants, this, &Player::wantsToPlayChanged);
}

void Player::SetMuted(bool muted) {
  Update(muted_, muted, this, &Player::mutedChanged);
}

void Player::RefreshPlaying() {
  const HSTREAM channel = StreamChannel.load();
  const bool playing =
      outputRuns_ && channel != 0 && BASS_ChannelIsActive(channel) == BASS_ACTIVE_PLAYING;
  Update(playing_, playing, this, &Player::playingChanged);
}

}  // namespace player
