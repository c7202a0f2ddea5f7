#include "app/dialogs/CErrorBox.h"

#include "app/dialogs/ResourceIds.h"

CErrorBox::CErrorBox() : COkBox(kDialogError) {}
