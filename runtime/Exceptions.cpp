#include "runtime/Exceptions.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>
#include <typeinfo>

namespace zeb {

Exception::~Exception() = default;
EIntfCastError::~EIntfCastError() = default;
EConvertError::~EConvertError() = default;
EInvalidOperation::~EInvalidOperation() = default;
EInOutError::~EInOutError() = default;

void RaiseIntfCastError(const IInterface*, const char* interfaceName) {
  throw EIntfCastError(std::string("Interface not supported: ") + interfaceName);
}

namespace {
std::string Demangle(const char* name) {
  int status = 0;
  std::unique_ptr<char, decltype(&std::free)> demangled(
      abi::__cxa_demangle(name, nullptr, nullptr, &status), &std::free);
  return status == 0 && demangled ? std::string(demangled.get()) : std::string(name);
}
}  // namespace

ExceptionDescription DescribeException(std::exception_ptr error) {
  if (!error) return {"", ""};
  try {
    std::rethrow_exception(error);
  } catch (const Exception& e) {
    return {e.ClassName(), e.Message()};
  } catch (const std::exception& e) {
    return {Demangle(typeid(e).name()), e.what()};
  } catch (...) {
    const std::type_info* type = abi::__cxa_current_exception_type();
    return {type != nullptr ? Demangle(type->name()) : "unknown", "unknown exception"};
  }
}

}  // namespace zeb
