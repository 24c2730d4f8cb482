#include "ImportArray.h"

#include "CapInvImport.h"
#include "ImportSheduler.h"
#include "KVInvImport.h"
#include "XITrackInvImport.h"

#include "app/AppCore.h"

CImportArray &theImportArray()
{
    return Globals::Require<CImportArray>(GlobalSlot::ImportArray, "theImportArray");
}

CImportArray *theImportArrayIfAny()
{
    return Globals::As<CImportArray>(GlobalSlot::ImportArray);
}

CImportArray::~CImportArray()
{
    RemoveAll();
}

CBaseImport *CImportArray::GetAt(int index) const
{
    return index >= 0 && index < GetSize() ? m_importers[size_t(index)].get() : nullptr;
}

void CImportArray::Add(std::unique_ptr<CBaseImport> importer)
{
    m_importers.push_back(std::move(importer));
}

void CImportArray::StopAll()
{
    // Every run is asked first, so they end together rather than one after another.
    for (auto &i : m_importers)
        if (i)
            i->RequestStop();
    for (auto &i : m_importers)
        if (i)
            i->StopMonitoring();
}

bool CImportArray::DeleteAt(int index)
{
    if (index < 0 || index >= GetSize() || !m_importers[size_t(index)])
        return false;
    std::unique_ptr<CBaseImport> gone = std::move(m_importers[size_t(index)]);
    // The thread must end before the importer's own members go.
    gone->RequestStop();
    gone->StopMonitoring();
    gone.reset();
    return true;
}

void CImportArray::RemoveAll()
{
    StopAll();
    m_importers.clear();
}

void ImportService::CreateImporters()
{
    CImportArray *array = theImportArrayIfAny();
    if (!array)
        return;
    array->RemoveAll();
    array->Add(std::make_unique<XITrackInvImport>());
    array->Add(std::make_unique<KVInvImport>(0));
    array->Add(std::make_unique<CapInvImport>(0));
    theApp().WriteLog(QStringLiteral("Importers created: %1").arg(array->GetSize()), QStringLiteral("theImportArray"), 5);
}

ImportService::ImportService() : m_sheduler(std::make_unique<ImportSheduler>()) {}

ImportService::~ImportService() = default;

void ImportService::SchedulerInit()
{
    m_sheduler->init();
}

void ImportService::InventoryImportStart(bool)
{
    m_sheduler->InventoryImportStart();
}

void ImportService::CancelAndWait()
{
    m_sheduler->CancelImport();
    if (CImportArray *array = theImportArrayIfAny())
        array->StopAll();
}
