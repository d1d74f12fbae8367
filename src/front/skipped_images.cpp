#include "front/skipped_images.h"

#include "config/debug_file.h"
#include "config/startup.h"

#include <iostream>

namespace launcher::front {

void ReportSkippedImages(StartupState& startup) {
    for (const auto* skipped :
         {&startup.Skin->MainWindow.UnreadableImages, &startup.Skin->ConfigWindow.UnreadableImages})
        for (const std::string& entry : skipped->Entries()) {
            std::cerr << "Skin image left out: " << entry << "\n";
            startup.DebugFile->WriteErr("Skin image left out: " + entry);
        }
}

} // namespace launcher::front
