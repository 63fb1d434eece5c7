// CTask: the task page.
#pragma once

#include "resources/resource.h"
#include "wizard/DKPropertyPage.h"

class CTask : public CInteriorPropertyPage {
  public:
    CTask() : CInteriorPropertyPage(IDD_TASK, 0, 0, 0) {}
};
