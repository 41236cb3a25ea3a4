// The result of a library call that can fail: a code and a message that names the file.
#pragma once

#include <string>
#include <utility>

namespace tv {

enum class StatusCode { Ok, NotFound, BadData, PartialRead, IoError, Usage };

class Status {
 public:
  Status() = default;
  Status(StatusCode code, std::string message) : m_code(code), m_message(std::move(message)) {}
  static Status Ok() { return {}; }

  bool ok() const { return m_code == StatusCode::Ok; }
  StatusCode code() const { return m_code; }
  const std::string& message() const { return m_message; }

 private:
  StatusCode m_code = StatusCode::Ok;
  std::string m_message;
};

}  // namespace tv
