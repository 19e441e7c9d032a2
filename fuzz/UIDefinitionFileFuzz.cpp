// Component definition files from anywhere: reading one, then building a
// component from it (defaults, prefab children, aliases) and looking its
// defaults up, never crashes nor loops.
#include "engine/core/XmlDocument.h"
#include "engine/ui/Component.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/descriptions/ComponentDefinition.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

using namespace Varnok;

void Start() {
    UIProjectSettings settings;
    settings.createsSimple2D = false;
    settings.createsDefaultTextures = false;
    settings.skus[AsciiString("~base")] =
        UISkuDefinition{AsciiString("~base"), AsciiString("~default"), 480, 320};
    UIManager::Get().Init(settings, AsciiString("~base"));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static int s_runs = 0;
    // Definitions the files name stay with the manager; start afresh now
    // and then so they do not pile up.
    if (s_runs++ % 500 == 0) {
        UIManager::Get().Shutdown();
        Start();
    }
    TiXmlDocument document;
    if (!ParseXmlDocument(document, reinterpret_cast<const char*>(data), size)) {
        return 0;
    }
    ComponentDefinition definition(AsciiString("Fuzzed"));
    definition.ReadXml(document.RootElement());
    std::unique_ptr<Component> component(new Component());
    component->InitialiseFromDefinition(&definition);
    for (int i = 0; i < definition.GetPropertyDefinitionCount(); ++i) {
        bool found = false;
        (void)definition.GetDefault<AsciiString>(definition.GetPropertyDefinition(i)->m_name, found);
        (void)definition.GetDefault<int>(definition.GetPropertyDefinition(i)->m_name, found);
    }
    std::unique_ptr<Component> copy(component->Clone());
    return 0;
}
