// Key codes, binding answers and the key procedure type of the keyboard-binding protocol.
#pragma once

#include <cstdint>

namespace zeb {

// A key code: the virtual-key code plus 0x2000 for Shift, 0x4000 for Ctrl and 0x8000 for Alt.
using TShortCut = std::uint16_t;

inline constexpr TShortCut scShift = 0x2000;
inline constexpr TShortCut scCtrl = 0x4000;
inline constexpr TShortCut scAlt = 0x8000;
inline constexpr TShortCut scNone = 0;

// The key procedure's answer to the IDE.
enum TKeyBindingResult : std::int32_t {
  krUnhandled = 0,  // as krNextProc
  krHandled = 1,    // the key is consumed
  krNextProc = 2,   // the IDE runs its next handler for the key
};

// What a keyboard binding is: btPartial adds keys to the keymap in use, btComplete is a whole
// keymap (see IOTAKeyboardBinding::GetBindingType).
enum TBindingType : std::int32_t {
  btPartial = 0,
  btComplete = 1,
};

// Flags of AddKeyBinding, a bit mask.
inline constexpr std::int32_t kfImplicitShift = 1;
inline constexpr std::int32_t kfImplicitModifier = 2;
inline constexpr std::int32_t kfImplicitKeypad = 4;

struct IOTAKeyContext;

// A key procedure: a procedure bound to an object (code and data, as the IDE's method pointers
// are). Data is the object; Code receives it back with the call's arguments.
struct TKeyBindingProc {
  using CodeType = void (*)(void* data, IOTAKeyContext* context, TShortCut keyCode,
                            TKeyBindingResult& bindingResult);

  CodeType Code = nullptr;
  void* Data = nullptr;

  explicit operator bool() const noexcept { return Code != nullptr; }
  void operator()(IOTAKeyContext* context, TShortCut keyCode,
                  TKeyBindingResult& bindingResult) const {
    Code(Data, context, keyCode, bindingResult);
  }

  // Binds the member function Method of `object` as a key procedure.
  template <auto Method, class Object>
  static TKeyBindingProc Of(Object* object) noexcept {
    TKeyBindingProc proc;
    proc.Data = object;
    proc.Code = [](void* data, IOTAKeyContext* context, TShortCut keyCode,
                   TKeyBindingResult& bindingResult) {
      (static_cast<Object*>(data)->*Method)(context, keyCode, bindingResult);
    };
    return proc;
  }

  friend bool operator==(const TKeyBindingProc&, const TKeyBindingProc&) = default;
};

// The cursor position of an edit view. Col is 16-bit by the interface's definition: a column
// past 32767 reads as 32767 (IOTAEditPosition::GetColumn has the whole column).
struct TOTAEditPos {
  std::int16_t Col = 0;
  std::int32_t Line = 0;
};

}  // namespace zeb
