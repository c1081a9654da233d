#include "stream/wma/WmaComponents.h"

#include "stream/CNxSSDetailedException.h"
#include "stream/CNxSSManager.h"
#include "stream/wma/CNxSSWmaReader.h"
#include "stream/wma/CNxSSWmaWriter.h"

void AddWmaComponents(CNxSSComponentCatalog& catalog, WmaOpenFailureNote note) {
    catalog.wma = [note](CNxSSManager& manager, const std::string& name) -> NxRef<CNxSSComponent> {
        return MakeOpened<CNxSSWmaReader>(manager, [&](CNxSSWmaReader& reader) {
            try {
                reader.Open(name);
            } catch (const CNxSSException& e) {
                const auto* detailed = dynamic_cast<const CNxSSDetailedException*>(&e);
                if (note && detailed != nullptr && !detailed->Detail().empty()) {
                    note(name, detailed->Detail());
                }
                throw;
            }
        });
    };
    catalog.wmaWriter = [](CNxSSManager& manager,
                           const std::string& outputPath) -> NxRef<CNxSSActiveComponent> {
        return MakeNx<CNxSSWmaWriter>(&manager, outputPath);
    };
}
