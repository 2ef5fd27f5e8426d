// The one error type of batchfit: a failure that carries the message the user sees.
#pragma once

#include <exception>
#include <new>
#include <stdexcept>
#include <string>

namespace batchfit {

class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Builds a message from a template whose "%s" and "%d" placeholders take the
// arguments in order (all given as text).
std::string formatMessage(const std::string& pattern, std::initializer_list<std::string> args);

// The text an error is shown with (error box, command line): the message,
// with a "." appended when its last character's code is above that of ".".
std::string errorBoxText(const std::string& message);

// A shortage of memory, the system's or the memory limit's: every failed
// allocation is raised, or shown, with this one text.
Error outOfResources();

// The message a failure that escaped is shown with: its own, or for a
// std::bad_alloc (whose own text is the library's) the shortage's.
std::string messageOf(const std::exception& failure);

}  // namespace batchfit
