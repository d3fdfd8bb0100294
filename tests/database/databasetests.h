#pragma once

#include <QObject>

// Each class covers one part of the storage layer; main.cpp runs them in this order.

class SchemaTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void newFile_tableColumnsInOrderWithDeclaredTypes_data();
    void newFile_tableColumnsInOrderWithDeclaredTypes();
    void newFile_defaultRowsInStoredOrder_data();
    void newFile_defaultRowsInStoredOrder();
    void textColumn_refusesOneCharacterOverWidth_data();
    void textColumn_refusesOneCharacterOverWidth();
    void dateColumn_acceptsOnlyIsoDates_data();
    void dateColumn_acceptsOnlyIsoDates();
    void ensureIndexes_restoresMissingIndexes_data();
    void ensureIndexes_restoresMissingIndexes();
};

class CreationTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void create_leavesOnlyTheNewFileInFolder_data();
    void create_leavesOnlyTheNewFileInFolder();
    void create_refusedTarget_leavesFolderUntouched_data();
    void create_refusedTarget_leavesFolderUntouched();
    void withDatabaseExtension_data();
    void withDatabaseExtension();
};

class QueryTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void text_roundTripsThroughFile_data();
    void text_roundTripsThroughFile();
    void emptyText_staysApartFromNull_data();
    void emptyText_staysApartFromNull();
    void sqlWithTwoStatements_refusedBeforeRunning_data();
    void sqlWithTwoStatements_refusedBeforeRunning();
    void escapeLike_matchesWildcardsLiterally_data();
    void escapeLike_matchesWildcardsLiterally();
    void transaction_keepsChangesOnlyWhenCommitted_data();
    void transaction_keepsChangesOnlyWhenCommitted();
    void transactionInsideAnother_throwsDbError();
};

class ResultSetTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void open_rowsComeInSourceOrder_data();
    void open_rowsComeInSourceOrder();
    void open_textsComeBackAsStored_data();
    void open_textsComeBackAsStored();
    void navigation_reportsEndsAndPosition_data();
    void navigation_reportsEndsAndPosition();
    void filter_narrowsAndClearRestores_data();
    void filter_narrowsAndClearRestores();
    void filteredSet_writesReachTheRightRowsAndPersist();
    void deleteCurrent_nextMoveLandsBesideDeletedRow_data();
    void deleteCurrent_nextMoveLandsBesideDeletedRow();
    void addNewUpdate_appendsAndBecomesCurrent();
    void updateOfRowDeletedElsewhere_reportsError();
    void selectSet_refusesWrites_data();
    void selectSet_refusesWrites();
};

class OpeningTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void checkDatabaseKind_acceptsOnlyScrapKinds_data();
    void checkDatabaseKind_acceptsOnlyScrapKinds();
    void foreignFile_refusedAndUntouched_data();
    void foreignFile_refusedAndUntouched();
    void legacyAccessFile_refusedAndUntouched_data();
    void legacyAccessFile_refusedAndUntouched();
    void openMissingPath_throwsAndCreatesNothing_data();
    void openMissingPath_throwsAndCreatesNothing();
    void openResultSet_keepsOnlyWritableSets_data();
    void openResultSet_keepsOnlyWritableSets();
    void databaseNameOf_dropsFolderAndExtension_data();
    void databaseNameOf_dropsFolderAndExtension();
};

class DisplaySettingsStoreTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readDisplayFont_data();
    void readDisplayFont();
    void readBackColor_data();
    void readBackColor();
};

class RecordStoreTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void takeNextNumber_advancesOnlyItsColumnOfTheFirstRow_data();
    void takeNextNumber_advancesOnlyItsColumnOfTheFirstRow();
    void takeNextNumber_brokenCounter_givesNoneWithoutThrowing_data();
    void takeNextNumber_brokenCounter_givesNoneWithoutThrowing();
    void takeNextNumber_insideTransaction_keptOnlyWhenCommitted_data();
    void takeNextNumber_insideTransaction_keptOnlyWhenCommitted();
    void addScrapIndex_storesEveryFieldAndBecomesCurrent();
    void addScrapIndex_refusedValue_storesNothingAndStaysOnRecord_data();
    void addScrapIndex_refusedValue_storesNothingAndStaysOnRecord();
    void body_roundTripsUnchangedThroughFile_data();
    void body_roundTripsUnchangedThroughFile();
    void body_onlyFirstRowOfItsNumberIsReadAndWritten_data();
    void body_onlyFirstRowOfItsNumberIsReadAndWritten();
    void marks_comeBackInWrittenOrderAsZeroOrOne();
    void deleteByNumber_removesOnlyThatNumbersRows_data();
    void deleteByNumber_removesOnlyThatNumbersRows();
    void deleteCurrentScrap_removesExactlyItsOwnRows_data();
    void deleteCurrentScrap_removesExactlyItsOwnRows();
    void deleteAllResults_removesExactlyTheListedScraps_data();
    void deleteAllResults_removesExactlyTheListedScraps();
    void delete_failureHalfway_keepsEveryRowAndTheSet_data();
    void delete_failureHalfway_keepsEveryRowAndTheSet();
};
