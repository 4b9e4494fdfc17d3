#include "host/IdeServices.h"

ComPtr<IBorlandIDEServices> BorlandIDEServices;
