#include "installer/registration.h"

#include "installer/product.h"
#include "runtime/memory.h"
#include "runtime/values.h"

namespace qv::installer {

const RegistryRow kRegistryRows[kRegistryRowCount] = {
    {QV_PRODUCT_KEY "\\InstPath", RowValue::InstallRoot, nullptr},
    {QV_SETTINGS_KEY "\\Counter", RowValue::DateStamp, nullptr},
    {QV_SETTINGS_KEY "\\installpro", RowValue::Literal, "100%"},
    {QV_SETTINGS_KEY "\\Scancode", RowValue::DateStamp, nullptr},
    {QV_UNINSTALL_KEY "\\DisplayIcon", RowValue::RootPlus, kProgram},
    {QV_UNINSTALL_KEY "\\DisplayName", RowValue::Literal, kDisplayName},
    {QV_UNINSTALL_KEY "\\DisplayVersion", RowValue::Literal, "2.18.0.10"},
    {QV_UNINSTALL_KEY "\\EstimatedSize", RowValue::Number, "50941"},
    {QV_UNINSTALL_KEY "\\InstallLocation", RowValue::RootPlus, kProductFolder},
    {QV_UNINSTALL_KEY "\\Publisher", RowValue::Literal, kPublisherDomain},
    {QV_UNINSTALL_KEY "\\UninstallString", RowValue::RootPlus, kUninstaller},
    {QV_UNINSTALL_KEY "\\URLInfoAbout", RowValue::Literal, kPublisherAddress},
    {QV_UNINSTALL_KEY "\\URLUpdateInfo", RowValue::Literal, kPublisherAddress},
};

int RegisterProduct(const char* installRoot, const char* dateStamp, Command writeValue) {
    int stored = 0;
    for (const RegistryRow& row : kRegistryRows) {
        UniqueBlock<char> built;
        TypedValue args[3] = {MakeInt(4), MakeText(row.valuePath), {}};
        switch (row.value) {
            case RowValue::InstallRoot:
                args[2] = MakeText(installRoot ? installRoot : "");
                break;
            case RowValue::DateStamp:
                args[2] = MakeText(dateStamp ? dateStamp : "");
                break;
            case RowValue::Literal:
                args[2] = MakeText(row.text);
                break;
            case RowValue::RootPlus:
                built.reset(ConcatTexts({installRoot, row.text}));
                args[2] = MakeText(built.get());
                break;
            case RowValue::Number: {
                TypedValue number{};
                const TypedValue text = MakeText(row.text);
                ToNumber(&number, 1, &text);
                args[2] = MakeDouble(number.f64);
                break;
            }
        }
        TypedValue result{};
        writeValue(&result, 3, args);
        stored += result.word != 0;
    }
    return stored;
}

}  // namespace qv::installer
