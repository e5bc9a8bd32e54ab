#include "service/sign_desk.h"

#include <algorithm>
#include <cstdio>

namespace tavrin {

SignDesk::SignDesk(DeskOptions options) : m_options(options), m_normalPage(options.normalPage) {}

std::deque<SignDesk::Queued>::iterator SignDesk::WaitingMessageFor(char page) {
  return std::find_if(m_waiting.begin(), m_waiting.end(), [&](const Queued& w) {
    return !w.job.urgent && w.job.page == page &&
           (w.job.kind == DeskJob::Kind::Message || w.job.kind == DeskJob::Kind::Refresh);
  });
}

void SignDesk::Queue(DeskJob job, bool first, DeskTime notBefore) {
  if (first) {
    m_waiting.push_front({std::move(job), notBefore});
  } else {
    m_waiting.push_back({std::move(job), notBefore});
  }
}

DeskAnswer SignDesk::Post(const MessageRequest& message) {
  DeskJob job;
  job.kind = DeskJob::Kind::Message;
  job.text = message.text;
  if (message.priority == MessagePriority::Urgent) {
    job.urgent = true;
    job.page = message.page.value_or(m_options.urgentPage);
    job.ttlSeconds = message.ttlSeconds.value_or(m_options.defaultTtlSeconds);
    // A newer urgent message replaces one still waiting, and goes before everything else.
    std::erase_if(m_waiting, [](const Queued& w) {
      return w.job.urgent && w.job.kind == DeskJob::Kind::Message;
    });
    Queue(std::move(job), true);
    return {};
  }
  job.page = message.page.value_or(m_options.normalPage);
  m_pages[job.page] = job.text;
  m_normalPage = job.page;
  if (const auto waiting = WaitingMessageFor(job.page); waiting != m_waiting.end()) {
    waiting->job = std::move(job);
    waiting->notBefore = {};
    return {};
  }
  if (m_waiting.size() >= m_options.maxWaiting) {
    return {DeskAnswer::Kind::TooMany, "too many messages and commands are waiting for the sign"};
  }
  Queue(std::move(job), false);
  return {};
}

DeskAnswer SignDesk::Post(const CommandRequest& command) {
  if (m_waiting.size() >= m_options.maxWaiting) {
    return {DeskAnswer::Kind::TooMany, "too many messages and commands are waiting for the sign"};
  }
  DeskJob job;
  job.kind = DeskJob::Kind::Command;
  job.command = command;
  Queue(std::move(job), false);
  return {};
}

std::deque<SignDesk::Queued>::const_iterator SignDesk::Eligible(DeskTime now) const {
  if (m_running || (m_retryAt && now < *m_retryAt)) return m_waiting.end();
  return std::find_if(m_waiting.begin(), m_waiting.end(),
                      [&](const Queued& w) { return w.notBefore <= now; });
}

const DeskJob* SignDesk::Next(DeskTime now) const {
  const auto it = Eligible(now);
  return it == m_waiting.end() ? nullptr : &it->job;
}

void SignDesk::Begin(DeskTime now) {
  const auto it = Eligible(now);
  if (it == m_waiting.end()) return;
  m_running = it->job;
  m_waiting.erase(it);
}

void SignDesk::PutBack() {
  if (!m_running) return;
  Queue(std::move(*m_running), true);
  m_running.reset();
}

void SignDesk::ShowUrgent(const DeskJob& sent, DeskTime now) {
  DeskJob run;
  run.kind = DeskJob::Kind::RunPage;
  run.page = sent.page;
  run.urgent = true;
  Queue(std::move(run), true);
  m_urgentUntil = now + std::chrono::seconds(sent.ttlSeconds);
}

void SignDesk::Finished(DeskTime now, bool succeeded, bool silent, const std::string& result,
                        const std::string& sentDigest) {
  if (!m_running) return;
  DeskJob job = std::move(*m_running);
  m_running.reset();
  m_lastResult = result;
  const bool message = job.kind == DeskJob::Kind::Message || job.kind == DeskJob::Kind::Refresh;
  if (silent) {
    m_online = false;
    m_retrySeconds = m_retrySeconds == 0 ? m_options.retryMinSeconds
                                         : std::min(2 * m_retrySeconds, m_options.retryMaxSeconds);
    m_retryAt = now + std::chrono::seconds(m_retrySeconds);
    // Tried again first, unless a newer message for its page came meanwhile.
    const bool replaced = message && !job.urgent && WaitingMessageFor(job.page) != m_waiting.end();
    if (!replaced) Queue(std::move(job), true);
    return;
  }
  m_online = true;
  m_retryAt.reset();
  m_retrySeconds = 0;
  if (!succeeded || !message) return;
  m_digests[job.page] = sentDigest;
  m_lastSent[job.page] = now;
  if (job.urgent) ShowUrgent(job, now);
}

void SignDesk::Unchanged(DeskTime now, const std::string& result) {
  if (!m_running) return;
  const DeskJob job = std::move(*m_running);
  m_running.reset();
  m_lastResult = result;
  if (job.urgent && job.kind == DeskJob::Kind::Message) ShowUrgent(job, now);
}

void SignDesk::FieldsChanged(char page, DeskTime now) {
  if (m_pages.find(page) == m_pages.end()) return;
  // One waiting is enough: it draws the fields as they are when it starts.
  if (WaitingMessageFor(page) != m_waiting.end()) return;
  DeskJob job;
  job.kind = DeskJob::Kind::Refresh;
  job.page = page;
  const auto last = m_lastSent.find(page);
  const DeskTime notBefore = last == m_lastSent.end()
                                 ? now
                                 : last->second + std::chrono::seconds(m_options.refreshSeconds);
  Queue(std::move(job), false, std::max(now, notBefore));
}

void SignDesk::Tick(DeskTime now) {
  if (!m_urgentUntil || now < *m_urgentUntil) return;
  m_urgentUntil.reset();
  DeskJob run;
  run.kind = DeskJob::Kind::RunPage;
  run.page = m_normalPage;
  Queue(std::move(run), true);
}

std::optional<DeskTime> SignDesk::NextWake() const {
  std::optional<DeskTime> wake;
  const auto earliest = [&](DeskTime t) {
    if (!wake || t < *wake) wake = t;
  };
  if (m_retryAt) earliest(*m_retryAt);
  if (m_urgentUntil) earliest(*m_urgentUntil);
  for (const Queued& w : m_waiting) {
    if (w.notBefore > DeskTime{}) earliest(w.notBefore);
  }
  return wake;
}

void SignDesk::RestorePage(char page, std::string text, std::string digest) {
  m_pages[page] = std::move(text);
  m_digests[page] = std::move(digest);
}

std::string SignDesk::SentDigest(char page) const {
  const auto it = m_digests.find(page);
  return it == m_digests.end() ? std::string() : it->second;
}

const std::string& SignDesk::Rendered(char page) const {
  static const std::string kNone;
  const auto it = m_rendered.find(page);
  return it == m_rendered.end() ? kNone : it->second;
}

void SignDesk::SetRendered(char page, std::string text) { m_rendered[page] = std::move(text); }

std::string FramesDigest(const std::string& frames) {
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  for (const char c : frames) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3ULL;
  }
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

}  // namespace tavrin
