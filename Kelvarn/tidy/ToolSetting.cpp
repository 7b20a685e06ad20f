#include "tidy/ToolSetting.h"

#include <QDir>

namespace kelvarn::tidy {

ToolSetting ToolSetting::ofThisProcess() {
    return ToolSetting{QProcessEnvironment::systemEnvironment(), QDir::homePath(),
                       QDir::tempPath()};
}

} // namespace kelvarn::tidy
