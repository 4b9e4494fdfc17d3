// The editor commands that act on the block (the selected text) through the IDE's edit block.
#pragma once

#include <cstdint>
#include <string>

// Indents (+1) or unindents (-1) the top view's block, by 2 columns when the current module's
// first file is a Pascal source and 4 otherwise. True when it indented; false, with nothing
// changed, when there is no source editor or no valid block.
bool IndentBlock(std::int32_t direction);

// Lower-cases the block of the current module's first view. No validity test comes first.
void LowerCaseBlock();

// The columns an indent moves for a file: +-2 for ".pas" (in any case), +-4 otherwise.
std::int32_t IndentMagnitude(std::string fileName, std::int32_t direction);
