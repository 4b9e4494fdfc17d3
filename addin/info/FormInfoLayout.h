// The stored description of TFormInfo: its properties and its memo, as loaded on creation.
#pragma once

class TFormInfo;
namespace zeb {
class TMemo;
}

// Applies the stored description to a form under construction and returns its memo (owned by
// the form and placed on it).
zeb::TMemo* LoadFormInfoLayout(TFormInfo& form);
