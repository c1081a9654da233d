#include "stream/wma/WmaComponents.h"

#include "stream/CNxSSDetailedException.h"
#include "stream/CNxSSManager.h"
#include "stream/wma/CNxSSMediaReader.h"
#include "stream/wma/CNxSSWmaReader.h"
#include "stream/wma/CNxSSWmaWriter.h"

namespace {

template <typename Reader>
CNxSSComponentCatalog::SourceMaker readerMaker(WmaOpenFailureNote note) {
    return [note](CNxSSManager& manager, const std::string& name) -> NxRef<CNxSSComponent> {
        return MakeOpened<Reader>(manager, [&](Reader& reader) {
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
}

}  // namespace

void AddWmaComponents(CNxSSComponentCatalog& catalog, WmaOpenFailureNote note) {
    catalog.wma = readerMaker<CNxSSWmaReader>(note);
    catalog.media = readerMaker<CNxSSMediaReader>(note);
    catalog.wmaWriter = [](CNxSSManager& manager,
                           const std::string& outputPath) -> NxRef<CNxSSActiveComponent> {
        return MakeNx<CNxSSWmaWriter>(&manager, outputPath);
    };
}
