// The package's main unit: its identity, and the entry points that run its units'
// initialisation and finalisation.
#include <cstdint>
#include <iterator>

#include "addin/hotkeys/HotKeyMain2007.h"
#include "api/Export.h"
#include "api/PackageInfo.h"
#include "trace/uTrace.h"

using namespace zeb;

namespace {
constexpr const char* kRequiredPackages[] = {
    "vclx100.bpl",      "vclactnband100.bpl", "xmlrtl100.bpl",
    "designide100.bpl", "vcl100.bpl",         "rtl100.bpl",
};
constexpr const char* kContainedUnits[] = {
    "ZEB_IDE_Addin_2007", "Form_Info", "SysInit", "uTrace", "HotKeyMain2007",
};
// The version record's descriptive strings, all empty.
constexpr const char* kVersionStringNames[] = {
    "CompanyName",     "FileDescription",  "FileVersion", "InternalName",   "LegalCopyright",
    "LegalTrademarks", "OriginalFilename", "ProductName", "ProductVersion", "Comments",
};
constexpr const char* kVersionStringValues[] = {"", "", "", "", "", "", "", "", "", ""};
static_assert(std::size(kVersionStringNames) == std::size(kVersionStringValues));

constexpr ZebPackageInfo kPackageInfo = {
    sizeof(ZebPackageInfo),
    "ZEB_IDE_Addin_2007",
    "Pellix IDE-Addin V0.3 for RAD2007",
    true,  // design-only: loaded by the IDE, never by applications
    kRequiredPackages,
    static_cast<std::uint32_t>(std::size(kRequiredPackages)),
    kContainedUnits,
    static_cast<std::uint32_t>(std::size(kContainedUnits)),
    {
        {1, 0, 0, 0},
        {1, 0, 0, 0},
        0x0412,  // Korean
        949,
        kVersionStringNames,
        kVersionStringValues,
        static_cast<std::uint32_t>(std::size(kVersionStringNames)),
    },
    kZebInterfaceVersion,
    kZebStdlibTag,
};

bool initialized = false;
}  // namespace

extern "C" ZEB_EXPORT const ZebPackageInfo* ZebGetPackageInfo() {
  return &kPackageInfo;
}

// Runs the units' initialisation, in the order the package contains them. The IDE calls it once
// after loading the package, before Register.
extern "C" ZEB_EXPORT void Initialize() {
  if (initialized) return;
  // ZEB_IDE_Addin_2007, Form_Info and SysInit have nothing to initialise.
  InitializeuTrace();
  initialized = true;
}

// Runs the units' finalisation in reverse order. The IDE calls it before unloading the package.
extern "C" ZEB_EXPORT void Finalize() {
  if (!initialized) return;
  FinalizeHotKeyMain2007();
  FinalizeuTrace();
  initialized = false;
}
