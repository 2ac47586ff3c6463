// The one way a failure stops a run: an exception of this family, carrying a
// number and the user's message. Findings that do not stop a run (problems of
// a file, of the billing data) are report objects instead.
//
// 9000 is the builder's own number ("Exportação do ficheiro cancelada.", an
// unknown country...); database failures carry the server's or client's error
// number; 1006 is a schema validation failure. Front ends show Description();
// the command line maps the family to its exit statuses in one place
// (cli/Command.cpp), a derived type carrying the status a verb chose.
#ifndef SAFTPT_BASE_ERROR_H_
#define SAFTPT_BASE_ERROR_H_

#include <cstring>
#include <stdexcept>
#include <string>

namespace saftpt {

class Error : public std::runtime_error {
 public:
  // Numbers used by the program itself.
  static constexpr int kBuilder = 9000;     // raised by the audit-file builder
  static constexpr int kValidation = 1006;  // schema validation of a file
  static constexpr int kSettings = 9100;    // settings file unreadable or invalid
  static constexpr int kFile = 9200;        // output file could not be written
  static constexpr int kData = 9300;        // a stored value that cannot be used
  static constexpr int kCommand = 9400;     // a verb's own failure (bad arguments...)

  Error(int number, std::string description)
      : std::runtime_error(description), number_(number), description_(std::move(description)) {}

  int Number() const { return number_; }
  const std::string& Description() const { return description_; }

 private:
  int number_;
  std::string description_;
};

}  // namespace saftpt

#endif  // SAFTPT_BASE_ERROR_H_
