// The runtime's exception classes. Every exception the runtime or an add-in raises on purpose is
// an Exception: it has a class name and a message, which the IDE reports.
#pragma once

#include <exception>
#include <string>

#include "api/Export.h"

namespace zeb {

struct IInterface;

class ZEB_RTL_API Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  ~Exception() override;

  const std::string& Message() const noexcept { return message_; }
  virtual const char* ClassName() const noexcept { return "Exception"; }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

#define ZEB_DECLARE_EXCEPTION(Name, Base)                             \
  class ZEB_RTL_API Name : public Base {                              \
   public:                                                            \
    using Base::Base;                                                 \
    ~Name() override;                                                 \
    const char* ClassName() const noexcept override { return #Name; } \
  }

// A checked interface cast to an interface the object does not support.
ZEB_DECLARE_EXCEPTION(EIntfCastError, Exception);
// Raises EIntfCastError for ComPtr's checked cast (As) to the interface named. The first
// argument only selects this function for every interface: ComPtr finds it by the namespace of
// the interface, or of IInterface, which every interface extends.
[[noreturn]] ZEB_RTL_API void RaiseIntfCastError(const IInterface* interfaceTag,
                                                 const char* interfaceName);
// A format text that does not fit its arguments, or a text that is not a number.
ZEB_DECLARE_EXCEPTION(EConvertError, Exception);
// An operation that the object's state does not allow.
ZEB_DECLARE_EXCEPTION(EInvalidOperation, Exception);
// A file that cannot be read or written.
ZEB_DECLARE_EXCEPTION(EInOutError, Exception);

// The class name and message of any exception, for reports: the runtime's own exceptions give
// theirs, standard ones their demangled type and what(), anything else "unknown exception".
struct ExceptionDescription {
  std::string className;
  std::string message;
};
ZEB_RTL_API ExceptionDescription DescribeException(std::exception_ptr error);

}  // namespace zeb
