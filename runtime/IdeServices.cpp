#include "runtime/IdeServices.h"

namespace zeb {

ComPtr<IBorlandIDEServices> BorlandIDEServices;

}  // namespace zeb
