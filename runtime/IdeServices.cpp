#include "runtime/IdeServices.h"

ComPtr<IBorlandIDEServices> BorlandIDEServices;
