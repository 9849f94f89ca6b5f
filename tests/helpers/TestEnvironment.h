#pragma once

#include <string>

namespace orvelin::test
{
    // The temporary folder that HOME and XDG_CONFIG_HOME point at for this test program.
    const std::string& temporaryHome();
}
