#pragma once

#include "ui/forms.h"

namespace referral {

// The refer-a-friend window met on the way out of the program.
class frmNagScreen2 final : public ui::Form {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmNagScreen2)

public:
    frmNagScreen2();
    ~frmNagScreen2() override;

    void Form_Load() override;
    void Form_Unload() override;
};

} // namespace referral
