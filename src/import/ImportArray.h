#pragma once

// The importers of the program (ITrackPro, own format, Hollander CAP, in this
// order) and the import service that start-up and shutdown reach through IImport.

#include "CBaseImport.h"

#include "app/Globals.h"
#include "app/Interfaces.h"

#include <memory>
#include <vector>

class CImportArray : public GlobalObject
{
public:
    enum Index { ITrackPro = 0, OwnFormat = 1, Cap = 2 };

    ~CImportArray() override;
    int GetSize() const { return int(m_importers.size()); }
    // nullptr for an index outside the array.
    CBaseImport *GetAt(int index) const;
    void Add(std::unique_ptr<CBaseImport> importer);
    // Stops the run of one importer and deletes it; its entry stays, empty.
    // False for an entry that is empty already.
    bool DeleteAt(int index);
    // Stops every run and deletes the importers.
    void RemoveAll();
    // Asks every run to stop and waits until each has ended.
    void StopAll();

private:
    std::vector<std::unique_ptr<CBaseImport>> m_importers;
};

CImportArray &theImportArray();
CImportArray *theImportArrayIfAny();

class ImportSheduler;

class ImportService : public IImport
{
public:
    ImportService();
    ~ImportService() override;
    // Fills theImportArray with the three importers.
    void CreateImporters() override;
    void SchedulerInit() override;
    void InventoryImportStart(bool fromStartup) override;
    void CancelAndWait() override;
    ImportSheduler &Sheduler() { return *m_sheduler; }

private:
    std::unique_ptr<ImportSheduler> m_sheduler;
};
