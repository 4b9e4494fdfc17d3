// TFormInfo: the "Information..." dialog. Its memo lists, one labelled line each, what the IDE
// reports about itself and about the current module, its editors, the top view, its block and
// the cursor.
#pragma once

#include <cstdint>
#include <string>

#include "api/Export.h"
#include "runtime/Forms.h"

class ZEB_EXPORT TFormInfo : public zeb::TForm {
 public:
  // Builds the form from its stored description; CreateForm then raises OnCreate (FormCreate).
  explicit TFormInfo(zeb::TComponent* owner);
  ~TFormInfo() override;

  // The creation handler: clears the memo, then fills it with DispInfo.
  void FormCreate(zeb::TComponent* sender);
  // Appends the report, querying the IDE line by line.
  void DispInfo();

  // Each overload appends one line to Memo1.
  void add(const std::string& lineText);
  void add(const std::string& label, const std::string& value);  // label : value
  void add(const std::string& label, std::int32_t value);        // label : decimal
  void add(const std::string& label, bool value);                // label : true|false
  // A text literal is text, not a boolean: without this, "a", "b" would pick the bool overload.
  void add(const std::string& label, const char* value) { add(label, std::string(value)); }

  zeb::TMemo* Memo1;
};

// The separator between a report line's label and its value.
inline constexpr const char* kReportSeparator = " : ";
