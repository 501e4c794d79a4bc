#include "cli/ConsoleSeams.h"

#include <pthread.h>
#include <unistd.h>

#include <csignal>
#include <iostream>

namespace frontend {

std::string ForTerminal(const std::string& text) {
  std::string lines;
  for (size_t i = 0; i < text.size(); ++i)
    if (text.compare(i, 2, "\r\n") != 0) lines += text[i];
  return lines;
}

seams::DialogResult StderrDialogs::Message(const std::string& text, seams::DialogIcon,
                                           seams::DialogButtons buttons) {
  std::cerr << ForTerminal(text) << '\n';
  return buttons == seams::DialogButtons::Ok ? seams::DialogResult::Ok
                                             : seams::DialogResult::Cancel;
}

InterruptWatch::InterruptWatch() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  watcher_ = std::thread([this, set] {
    int sig = 0;
    while (!stop_) {
      if (sigwait(&set, &sig) == 0 && !stop_) interrupted_ = true;
    }
  });
}

InterruptWatch::~InterruptWatch() {
  stop_ = true;
  pthread_kill(watcher_.native_handle(), SIGINT);
  watcher_.join();
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

void ConsoleProgress::SetInfoLabel(const std::string& text) {
  if (text == info_) return;
  info_ = text;
  Line(text);
}

void ConsoleProgress::ShowBoardState(const std::string& text) {
  if (!text.empty()) Line(text);
}

void ConsoleProgress::Line(const std::string& text) {
  Done();
  std::cerr << text << '\n';
}

void ConsoleProgress::SetPercentLabel(const std::string& text) {
  percentText_ = text;
  Draw();
}

void ConsoleProgress::SetPercentComplete(double percent) {
  percent_ = percent;
}

void InterruptEvents::LetEventsRun() {
  if (seen_ || !interrupt_.Interrupted()) return;
  seen_ = true;
  if (onInterrupt) onInterrupt();
}

void ConsoleProgress::Draw() {
  static const bool tty = isatty(STDERR_FILENO);
  if (!tty || percentText_.empty()) return;
  constexpr int kWidth = 40;
  const int filled = int(std::min(100.0, std::max(0.0, percent_)) * kWidth / 100);
  std::cerr << "\r[" << std::string(size_t(filled), '#')
            << std::string(size_t(kWidth - filled), ' ') << "] " << percentText_ << "   "
            << std::flush;
  barShown_ = true;
}

void ConsoleProgress::Done() {
  if (barShown_) std::cerr << '\n';
  barShown_ = false;
}

}  // namespace frontend
