#include "reg/reg_pipeline.h"

#include <cstdio>

#include "file_bytes.h"
#include "zarnutils/store_location.h"

namespace zarn::cli {
namespace {

// The status's words; a store that cannot be read or written is a file,
// named so that its user can look at it.
std::string failureReason(RegistryStatus status, std::string_view key) {
  std::string reason = statusText(status);
  if (status != registry_status::StoreFailed) return reason;
  const std::string file = registryStoreFile(key);
  return file.empty() ? reason : reason + " (store file " + quotedName(file) + ")";
}

}  // namespace

std::string RegSession::takeFailureLine() {
  if (failureNote_.empty()) return "";
  std::string line = "zarnutils reg: " + failureNote_ + "\n";
  failureNote_.clear();
  return line;
}

RegistryStatus RegSession::noteKeyOutcome(const std::string& keyName, RegistryStatus status) {
  const std::string key = quotedName(keyName);
  if (status == registry_status::Success) {
    lastKey_ = key;
    failureNote_.clear();
  } else if (status == registry_status::NotFound) {
    noteFailure("no such key " + key);
  } else if (status == registry_status::AccessDenied) {
    noteFailure("access denied to key " + key);
  } else {
    noteFailure("cannot open key " + key + ": " + failureReason(status, keyName));
  }
  return status;
}

RegistryStatus RegSession::noteValueOutcome(const std::string& valueName, RegistryStatus status,
                                            ValueStep step) {
  const std::string value = valueName.empty() ? "(Default)" : quotedName(valueName);
  if (status == registry_status::Success) {
    failureNote_.clear();
  } else if (status == registry_status::NotFound && step != ValueStep::Write) {
    noteFailure("no such value " + value + " in " + lastKey_);
  } else {
    const char* failed = step == ValueStep::Read    ? "cannot read"
                         : step == ValueStep::Write ? "cannot write"
                                                    : "cannot delete";
    noteFailure(std::string(failed) + " value " + value + " in " + lastKey_ + ": " +
                failureReason(status, lastKey_));
  }
  return status;
}

void RegSession::noteStatusUnlessNoted(RegistryStatus status) {
  if (!failureNote_.empty()) return;
  noteFailure(lastKey_.empty() ? statusText(status)
                               : "key " + lastKey_ + ": " + failureReason(status, lastKey_));
}

std::string dataProblem(ValueType type, std::string_view text, std::string_view separator) {
  const std::string quoted = typeNameOfCode(type) + " data '" + quotedName(text) + "'";
  switch (type) {
    case ValueType::Number:
    case ValueType::NumberBigEndian:
    case ValueType::Number64:
      return quoted + (isNumberText(text) ? " is out of the type's range" : " is not a number");
    case ValueType::Binary: return quoted + " is not pairs of hexadecimal digits";
    case ValueType::MultiText:
      return quoted + " has an empty string between separators (" + quotedName(separator) + ")";
    default: return quoted + " does not fit the type";
  }
}

std::optional<RegInput> readRegInput(RegSession& session, const std::string& fileName) {
  ConsoleStreams& console = session.console;
  RegFileGatherer gatherer;
  std::string piece(64 * 1024, '\0');
  const auto gathered = [&]() -> RegInput {
    if (gatherer.problem()) return *gatherer.problem();
    return gatherer.takeBytes();
  };
  if (isStandardStream(fileName)) {
    while (console.in.read(piece.data(), static_cast<std::streamsize>(piece.size())) ||
           console.in.gcount() > 0) {
      if (!gatherer.add(
              std::string_view(piece).substr(0, static_cast<size_t>(console.in.gcount()))))
        break;
    }
    if (!console.in.bad()) return gathered();
    session.noteFailure("cannot read standard input");
    return std::nullopt;
  }
  std::string reason;
  std::FILE* file = openRegularFile(fileName, reason);
  if (!file) {
    session.noteFailure("cannot open " + quotedName(fileName) + ": " + reason);
    return std::nullopt;
  }
  size_t count = 0;
  while ((count = std::fread(piece.data(), 1, piece.size(), file)) > 0) {
    if (!gatherer.add(std::string_view(piece).substr(0, count))) break;
  }
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (!failed) return gathered();
  session.noteFailure("cannot read " + quotedName(fileName));
  return std::nullopt;
}

bool writeRegOutput(RegSession& session, const std::string& fileName, std::string_view bytes) {
  ConsoleStreams& console = session.console;
  if (isStandardStream(fileName)) {
    console.dataOnOutput = true;
    console.out.flush();
    std::ostream& data = console.binaryOut ? *console.binaryOut : console.out;
    data.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    data.flush();
    if (data) return true;
    session.noteFailure("cannot write standard output");
    return false;
  }
  if (writeFileBytes(fileName, bytes)) return true;
  session.noteFailure("cannot write " + quotedName(fileName) + ": " +
                      unwritableReason(fileName).value_or("the file could not be written"));
  return false;
}

}  // namespace zarn::cli
