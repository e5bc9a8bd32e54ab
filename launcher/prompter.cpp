#include "launcher/prompter.h"

#include <ostream>

#include "common/ascii.h"

namespace tavrin::launcher {

TextPrompter::TextPrompter(std::vector<bool> answers, std::ostream& out)
    : m_answers(std::move(answers)), m_out(out) {}

bool TextPrompter::Ask(int captionId, const std::string& text, BoxIcon, bool) {
  const bool yes = m_next < m_answers.size() && m_answers[m_next];
  ++m_next;
  m_out << "launchet: [" << LauncherString(captionId) << "] " << text << " -> "
        << (yes ? "Yes" : "No") << '\n';
  return yes;
}

void TextPrompter::Tell(int captionId, const std::string& text, BoxIcon) {
  m_out << "launchet: [" << LauncherString(captionId) << "] " << text << '\n';
}

void TextPrompter::ShowStatus(const std::string& text) { m_out << "launchet: " << text << '\n'; }

std::vector<bool> ParseAnswers(const std::string& list) {
  std::vector<bool> answers;
  std::size_t from = 0;
  while (from <= list.size()) {
    const std::size_t comma = std::min(list.find(',', from), list.size());
    std::string word = list.substr(from, comma - from);
    for (char& c : word) c = AsciiLower(c);
    if (!word.empty()) answers.push_back(word == "yes");
    from = comma + 1;
  }
  return answers;
}

}  // namespace tavrin::launcher
