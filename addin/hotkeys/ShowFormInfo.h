// Opens the information dialog modally and frees it when the user closes it.
#pragma once

void ShowFormInfo();
