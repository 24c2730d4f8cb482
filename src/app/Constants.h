#pragma once

// Texts shared by every layer: file and folder names, formats, filter
// expressions and the names of the program's cross-window notifications.

namespace Korvant {

inline constexpr char AppName[] = "Korvant";
inline constexpr char SingleInstanceGuid[] = "{4F4DD012-5370-4ccd-B8EC-3A6585D8456B}";
inline constexpr char MakerWebSite[] = "https://www.korvant.example";
// Where the member's mail program sends crash dumps.
inline constexpr char CrashReportAddress[] = "crash-reports@korvant.example";

inline constexpr char DataFolderName[] = "data";
inline constexpr char RefFolderName[] = "ref";
inline constexpr char XslFolderName[] = "Xsl";
inline constexpr char DocFolderName[] = "doc";
inline constexpr char DatabaseFileName[] = "kvc.mdb";
inline constexpr char TempDatabaseFileName[] = "kvc-temp.mdb";
inline constexpr char BackupFilePattern[] = "kvc_%1.kvz";
inline constexpr char LogFileName[] = "kvc.log";
inline constexpr char ImportLogFileName[] = "import.log";

inline constexpr char TimeFormatLong[] = "%Y-%m-%d %H:%M";
inline constexpr char TimeFormatShort[] = "%m-%d %H:%M";

inline constexpr char ImagesFolder[] = "images";
inline constexpr char PartImagesFolder[] = "part_images";
inline constexpr char OutcomingFolder[] = "outcoming";
inline constexpr char IncomingFolder[] = "incoming";

// Filter expressions that are always true / always false.
inline constexpr char FilterAlwaysTrue[] = "A,,A,,#EQ";
inline constexpr char FilterAlwaysFalse[] = "A,,B,,#EQ";

inline constexpr char AddressBookRootName[] = "My Address Book";
inline constexpr char AddressBookDefaultGroup[] = "General";

// Message context types (Messages.CONTEXT_TYPE, Orders.CONTEXT_TYPE).
inline constexpr const char *ContextTypeNames[] = {"broadcast", "deal", "query", "quote",
                                                    "order", "query_cars", "quote_cars"};
inline constexpr const char *RecordKindWords[] = {"quote", "message", "hotdeal"};

// Import subsystem texts.
inline constexpr char CapFieldSeparator[] = ",";
inline constexpr char CapFilePrefix[] = "CAP_";
inline constexpr char CapStockVinFile[] = "stockvin.cap";
inline constexpr char CsvFieldSeparator[] = ",";
inline constexpr char CsvFilePrefix[] = "DEZ_";
inline constexpr char ITrackPrefix[] = "ITR_";
inline constexpr char ITrackInExt[] = ".in";
inline constexpr char ITrackFullExt[] = ".full";
inline constexpr char ITrackInPattern[] = "*.in";
inline constexpr char ITrackFlagFile[] = "itrack.flg";

// Market modes.
enum MarketMode : int { MarketNone = -1, MarketParts = 0, MarketCars = 1 };

// Task types of the running-task registry.
enum TaskType : unsigned { TaskImport = 1, TaskSync = 2, TaskAutoReply = 3, TaskVersionCheck = 4, TaskPurge = 5 };

} // namespace Korvant
