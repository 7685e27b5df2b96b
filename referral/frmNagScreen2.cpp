#include "referral/frmNagScreen2.h"

#include "app/startup.h"
#include "ui/windowing.h"

namespace referral {

frmNagScreen2::frmNagScreen2()
{
    setObjectName(QStringLiteral("frmNagScreen2"));
    setWindowTitle(QStringLiteral("Tolvy Sarnavel v1.0"));
    setClientTwips(11115, 4725);
}

frmNagScreen2::~frmNagScreen2() = default;

void frmNagScreen2::Form_Load()
{
    ui::makeTopmost(*this);
}

void frmNagScreen2::Form_Unload()
{
    app::ShutDownProgram();
}

} // namespace referral
