#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>

#include "service/service_desk.h"

namespace tavrin {

// The service's rules for one sign, apart from any link, clock or thread: what goes next, what
// replaces what, when an urgent message ends, when a silent sign is tried again. The service
// asks for the next job whenever the sign's link is free, turns it into a plan, and tells how
// it ended. Times are durations from any fixed start (the service's steady clock).
using DeskTime = std::chrono::milliseconds;

struct DeskOptions {
  char normalPage = 'A';  // where a message without a page goes
  char urgentPage = 'Z';  // kept for urgent messages
  int defaultTtlSeconds = 60;
  // A message whose fields changed is drawn and sent again at most this often.
  int refreshSeconds = 10;
  // A silent sign is tried again after this, doubled each time up to the most.
  int retryMinSeconds = 5;
  int retryMaxSeconds = 300;
  // Jobs waiting at most (messages replace their page's, so a flood of one topic never fills
  // it; a flood of commands does, and is refused).
  std::size_t maxWaiting = 32;
};

struct DeskJob {
  enum class Kind {
    Message,  // `text` (fields unrendered) to `page`
    Refresh,  // the message of `page` again, its fields drawn anew; sent only if it changed
    Command,  // `command`
    RunPage,  // `page`: after an urgent message is sent, and when its time is over
  };
  Kind kind = Kind::Message;
  char page = 'A';
  std::string text;
  CommandRequest command;
  bool urgent = false;  // a message to the urgent page, run once it is there
  int ttlSeconds = 0;   // of an urgent message
};

class SignDesk {
 public:
  explicit SignDesk(DeskOptions options = {});

  const DeskOptions& Options() const { return m_options; }

  // A message from MQTT or HTTP: it waits in its page's place (replacing a message for that
  // page not yet started), an urgent one before everything else.
  DeskAnswer Post(const MessageRequest& message);
  // A command waits after the others; TooMany when the queue is full.
  DeskAnswer Post(const CommandRequest& command);

  // The job to start now, if any (nothing while one runs, or while a silent sign waits for its
  // next try). Stays first until Begin takes it, so a link busy with another sign of its bus
  // changes nothing.
  const DeskJob* Next(DeskTime now) const;
  // The job Next gave at the same time is under way.
  void Begin(DeskTime now);
  // The job under way could not start after all (its link was taken meanwhile): first again,
  // as if it had never begun.
  void PutBack();
  // How the job under way ended: `silent` when the sign gave no answer (or its port did not
  // open): the job goes back first and is tried again after the back-off, the sign offline
  // until one goes through. Any other end takes the job away; `sentDigest` is that of what a
  // message sent, kept so that the same frames are not sent again.
  void Finished(DeskTime now, bool succeeded, bool silent, const std::string& result,
                const std::string& sentDigest = {});
  // A message (or refresh) that would send what the sign has already: nothing goes (an urgent
  // one is still run, and its time starts).
  void Unchanged(DeskTime now, const std::string& result);

  // A message's fields may have new values: a refresh of its page is asked for, to go once the
  // refresh time since that page was last sent has passed.
  void FieldsChanged(char page, DeskTime now);
  // An urgent message's time is over at this time: its run page of the normal page is queued
  // by Tick.
  void Tick(DeskTime now);
  // When Next may have something that it has not now (a retry, a refresh, an urgent message's
  // end), for the service's timer; nothing when only a post can change it.
  std::optional<DeskTime> NextWake() const;

  // The message templates of the pages, as given (for refreshes and the service's state file).
  const std::map<char, std::string>& Pages() const { return m_pages; }
  void RestorePage(char page, std::string text, std::string digest);
  // What was last sent to a page, by digest of its frames.
  std::string SentDigest(char page) const;
  // The text of a page as its fields were last drawn for a job, so that the service sees when
  // drawing them again gives something else.
  const std::string& Rendered(char page) const;
  void SetRendered(char page, std::string text);

  bool Online() const { return m_online; }
  bool Busy() const { return m_running.has_value(); }
  bool UrgentShown() const { return m_urgentUntil.has_value(); }
  // The page a normal message went to last: the one that runs again after an urgent one.
  char NormalPage() const { return m_normalPage; }
  const std::string& LastResult() const { return m_lastResult; }
  std::size_t Waiting() const { return m_waiting.size(); }

 private:
  struct Queued {
    DeskJob job;
    DeskTime notBefore{};
  };
  void Queue(DeskJob job, bool first, DeskTime notBefore = {});
  // The first waiting job whose time has come at `now` (end when none, or while one runs or a
  // silent sign waits).
  std::deque<Queued>::const_iterator Eligible(DeskTime now) const;
  // The waiting message or refresh of a normal page, if any.
  std::deque<Queued>::iterator WaitingMessageFor(char page);
  // An urgent message is on its page: it runs now and shows until its time is over.
  void ShowUrgent(const DeskJob& sent, DeskTime now);

  DeskOptions m_options;
  std::deque<Queued> m_waiting;
  std::optional<DeskJob> m_running;
  std::map<char, std::string> m_pages;     // page -> template
  std::map<char, std::string> m_digests;   // page -> digest of what was sent
  std::map<char, DeskTime> m_lastSent;     // page -> when
  std::map<char, std::string> m_rendered;  // page -> text with its fields drawn
  std::optional<DeskTime> m_retryAt;       // while the sign is silent
  int m_retrySeconds = 0;                  // the back-off now
  std::optional<DeskTime> m_urgentUntil;   // while an urgent message shows
  bool m_online = true;
  char m_normalPage = 'A';
  std::string m_lastResult;
};

// A digest of frames (64-bit FNV-1a as 16 hexadecimal digits): stable across runs and
// builds, for the service's state file.
std::string FramesDigest(const std::string& frames);

}  // namespace tavrin
