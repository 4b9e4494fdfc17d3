// How editor panes present themselves to assistive technology.
//
// The component's own accessible object follows every caret move by counting the characters
// from the start of the document, which makes each key press in a large file cost in proportion
// to its size. Its text is only of use to a screen reader, so a pane has it only while
// assistive technology is active; otherwise the pane is a plain editable-text widget. When
// assistive technology becomes active, the panes' plain objects are dropped and the next query
// makes the component's.
#pragma once

namespace zeb {

// Installs the policy once; later calls do nothing. Must run after the component made its first
// widget (which installs its own accessible objects), so that this one is asked first.
void InstallEditorAccessibility();

}  // namespace zeb
