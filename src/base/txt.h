#pragma once

#include <array>
#include <optional>

namespace parlevo {

// The size of the message table: entries 1 to 1000.
inline constexpr int kTextTableSize = 1000;

// Every text of the message table, named once with its number (the key Textes(number) of a
// language file). 1 to 400 keep the numbers of the 400-entry table older language files were
// written for; 301 to 400 are the gateway's reply codes (300 + code). Texts added since live at
// 401 and above, where such a file cannot overwrite them. Entries without a built-in text have
// no name.
// clang-format off
#define PARLEVO_TEXTS(X) \
    X(BannerSubtitle, 1) \
    X(AboutLink, 2) \
    X(PredefinedMessagesLink, 3) \
    X(AlreadyRunning, 4) \
    X(SendButton, 5) \
    X(ConfigureButton, 6) \
    X(NextButton, 7) \
    X(CancelButton, 8) \
    X(SaveButton, 9) \
    X(RecipientButton, 10) \
    X(ChooseRecipient, 11) \
    X(ComposeMessage, 12) \
    X(SendTheSms, 13) \
    X(CharactersLeft, 14) \
    X(DeferredSending, 15) \
    X(SendDate, 16) \
    X(SendTime, 17) \
    X(ContactLabel, 18) \
    X(NewGroupFor, 19) \
    X(MobileNumberLabel, 20) \
    X(SmtpServer, 21) \
    X(SmtpServerHelp, 22) \
    X(GoldMineFieldsHelp, 23) \
    X(GoldMineNumberField, 24) \
    X(ApplyChangesHint, 25) \
    X(SmtpServerRequired, 26) \
    X(SenderEmailRequired, 27) \
    X(AccountPasswordRequired, 28) \
    X(AddressBookOptions, 29) \
    X(FromAddressBook, 30) \
    X(ContactList, 31) \
    X(ContactNameHeader, 32) \
    X(MobileNumberHeader, 33) \
    X(Reading, 34) \
    X(ContactsImported, 35) \
    X(AddButton, 36) \
    X(ModifyButton, 37) \
    X(DeleteButton, 38) \
    X(NewContactTitle, 39) \
    X(EditContactTitle, 40) \
    X(ImportFromCsv, 41) \
    X(ExportToCsv, 42) \
    X(CsvFileFilter, 43) \
    X(EnterNumber, 44) \
    X(SmsSent, 45) \
    X(SendFailed, 46) \
    X(SelectionMenu, 47) \
    X(ChangeGroup, 48) \
    X(EnterMessageHere, 49) \
    X(SendAnSms, 50) \
    X(ConfirmDeleteContact, 51) \
    X(GoldMineUnreachable, 52) \
    X(OutlookNotRunning, 53) \
    X(OpenOutlookContacts, 54) \
    X(FileMenu, 55) \
    X(ImportContactsFrom, 56) \
    X(ExportAddressBookTo, 57) \
    X(FromCsvFile, 58) \
    X(Working, 64) \
    X(ResultCount, 66) \
    X(CompanyHeader, 68) \
    X(ContactHeader, 69) \
    X(MobileHeader, 70) \
    X(ContactCount, 71) \
    X(MailingRecipients, 72) \
    X(AddToMailing, 73) \
    X(AddressBookTitle, 74) \
    X(RemoveSelection, 75) \
    X(RemoveAll, 76) \
    X(AddContactsFrom, 77) \
    X(SaveMailingLink, 78) \
    X(FinishButton, 79) \
    X(ConfirmRemoveSelected, 80) \
    X(ConfirmRemoveAll, 81) \
    X(ContactsAdded, 82) \
    X(SelectAll, 83) \
    X(NoneOption, 84) \
    X(InvertSelection, 85) \
    X(FromGroup, 86) \
    X(ConfirmDeleteContacts, 87) \
    X(ListContactCount, 88) \
    X(LoadMailing, 89) \
    X(SaveMailing, 90) \
    X(MailingFileFilter, 91) \
    X(ReplaceFile, 92) \
    X(EmptyList, 93) \
    X(SendCountQuestion, 94) \
    X(Running, 95) \
    X(SentOfTotal, 96) \
    X(ExistingMailing, 97) \
    X(PocketPcSetupMissing, 98) \
    X(PocketPcInstallMissing, 99) \
    X(PredefinedMessages, 100) \
    X(PredefinedList, 101) \
    X(PredefinedName, 102) \
    X(PredefinedMessage, 103) \
    X(NewPredefinedName, 104) \
    X(AcceptButton, 106) \
    X(ConfigurePredefined, 107) \
    X(PocketPcNoConnection, 108) \
    X(PocketPcTransferFailed, 109) \
    X(PocketPcTransferDone, 110) \
    X(Result, 111) \
    X(PredefinedNameRequired, 112) \
    X(PredefinedTextRequired, 113) \
    X(ConfirmDeletePredefined, 114) \
    X(ActiveInOutlook, 115) \
    X(ActiveInGoldMine, 116) \
    X(Reports, 119) \
    X(MainMenu, 120) \
    X(Home, 121) \
    X(SingleButton, 122) \
    X(MailingButton, 123) \
    X(AddressBookButton, 124) \
    X(PredefinedButton, 125) \
    X(PocketPcButton, 126) \
    X(Settings, 127) \
    X(AboutButton, 128) \
    X(QuitButton, 129) \
    X(SingleTitle, 130) \
    X(SaveAddressBookQuestion, 131) \
    X(MailingTitle, 132) \
    X(CreateAccount, 133) \
    X(SavePredefinedQuestion, 134) \
    X(NoLastName, 135) \
    X(NoNumber, 136) \
    X(AccessAccount, 137) \
    X(BuySms, 138) \
    X(ForgottenPassword, 139) \
    X(SendSms, 140) \
    X(ToOneContact, 141) \
    X(ToManyContacts, 142) \
    X(Manage, 143) \
    X(TheAddressBook, 144) \
    X(ThePredefinedMessages, 145) \
    X(ThePocketPc, 146) \
    X(Configure, 147) \
    X(ParlevoSettings, 148) \
    X(NewMailing, 149) \
    X(TransferToPocketPc, 150) \
    X(Install, 152) \
    X(ParlevoOnPocketPc, 153) \
    X(CreditLeft, 154) \
    X(CreditUnavailable, 155) \
    X(Transferring, 156) \
    X(AllItems, 157) \
    X(Find, 158) \
    X(AddSelection, 159) \
    X(ComingSoon, 160) \
    X(SelectThisContact, 161) \
    X(ErrorPrefix, 162) \
    X(AllGroups, 163) \
    X(ContactDetails, 164) \
    X(FieldTitle, 165) \
    X(FieldFirstName, 166) \
    X(FieldLastName, 167) \
    X(FieldNumber, 168) \
    X(FieldCompany, 169) \
    X(AdditionalInformation, 170) \
    X(ExtraFieldNumber, 171) \
    X(TitleDoctor, 172) \
    X(TitleMister, 173) \
    X(TitleMaitre, 174) \
    X(TitleMonsignor, 175) \
    X(TitleMiss, 176) \
    X(TitleMadam, 177) \
    X(TitleFather, 178) \
    X(TitleProfessor, 179) \
    X(TitleSister, 180) \
    X(FieldFullName, 181) \
    X(MessageShortcuts, 182) \
    X(SmsPreview, 183) \
    X(FieldGroup, 184) \
    X(SmsSender, 185) \
    X(SmsSenderHelp, 186) \
    X(Sender, 187) \
    X(SenderPrefix, 188) \
    X(UserAccount, 189) \
    X(UserAccountHelp, 190) \
    X(SmsToFind, 200) \
    X(SendKind, 201) \
    X(DeepSearch, 202) \
    X(SearchIn, 203) \
    X(Search, 204) \
    X(PeriodToAnalyse, 205) \
    X(Period, 206) \
    X(StartDate, 207) \
    X(EndDate, 208) \
    X(SinceTheStart, 210) \
    X(ThisMonth, 211) \
    X(LastMonth, 212) \
    X(ThisYear, 213) \
    X(CustomPeriod, 214) \
    X(Analysing, 219) \
    X(GenerateReport, 220) \
    X(ReportSendDate, 221) \
    X(ReportUser, 222) \
    X(ReportSmsCount, 223) \
    X(ReportMessage, 224) \
    X(MailingsSentList, 225) \
    X(SendWindowTitle, 226) \
    X(MailingDetails, 227) \
    X(MailingCount, 228) \
    X(SmsDetails, 229) \
    X(ReportTo, 230) \
    X(ReportOn, 231) \
    X(ContactSmsSentList, 232) \
    X(ReportContactCount, 233) \
    X(ReportFrom, 234) \
    X(ReportUntil, 235) \
    X(ReportPage, 236) \
    X(PrintPreview, 237) \
    X(CloseButton, 238) \
    X(Print, 239) \
    X(ExportToExcel, 240) \
    X(PrintAll, 241) \
    X(PrintSelection, 242) \
    X(PrintDetails, 243) \
    X(MailingOf, 244) \
    X(NoPrinter, 245) \
    X(EmailAddress, 252) \
    X(Password, 253) \
    X(GoldMineMapping, 279) \
    X(ExtraFieldNames, 280) \
    X(ExtraFieldNamesHelp, 281) \
    X(VisibleColumns, 282) \
    X(VisibleColumnsHelp, 283) \
    X(PreviewFirstPage, 302) \
    X(PreviewPreviousPage, 303) \
    X(PreviewNextPage, 304) \
    X(PreviewLastPage, 305) \
    X(PreviewZoom, 306) \
    X(PrintCurrentPageTip, 308) \
    X(PrintAllPagesTip, 309) \
    X(PrinterSetupTip, 310) \
    X(PrintCurrentPage, 311) \
    X(PrintAllPages, 312) \
    X(PrinterSetup, 313) \
    X(CopyCount, 314) \
    X(PageWord, 315) \
    X(PageOfWord, 316) \
    X(Close, 317) \
    X(PrintJobBusy, 320) \
    X(PrintDocumentBusy, 321) \
    X(PrintBadInstruction, 322) \
    X(PrintFontError, 323) \
    X(PrinterError, 324) \
    X(CsvImport, 330) \
    X(CsvImportHelpBefore, 331) \
    X(CsvImportHelpLayout, 332) \
    X(CsvExample, 334) \
    X(ServerUnreachable, 379) \
    X(ReplySent, 380) \
    X(ReplyDeferred, 381) \
    X(ReplyBadLogin, 382) \
    X(ReplyNoCredit, 383) \
    X(ReplyBadNumber, 384) \
    X(ReplyBadDeferral, 385) \
    X(ReplyEmptyGroup, 386) \
    X(ReplyEmptyEmail, 387) \
    X(ReplyEmptyPassword, 388) \
    X(ReplyEmptyNumber, 389) \
    X(ReplyEmptyMessage, 390) \
    X(ReplyAlreadySent, 391) \
    X(HistoryTitle, 401) \
    X(HistoryDate, 402) \
    X(HistoryNumber, 403) \
    X(HistoryName, 404) \
    X(HistoryMessage, 405) \
    X(HistoryRun, 406) \
    X(HistorySearch, 407) \
    X(HistoryNumberFilter, 408) \
    X(HistoryResultFilter, 409) \
    X(HistoryFrom, 410) \
    X(HistoryTo, 411) \
    X(AllResults, 412) \
    X(NotSent, 413) \
    X(HistoryResend, 414) \
    X(HistoryExport, 415) \
    X(RunOf, 416) \
    X(MailingRun, 417) \
    X(SingleSend, 418) \
    X(ShownCount, 419) \
    X(NothingSelected, 420) \
    X(SentHistory, 421) \
    X(ReplaceLookAlikes, 430) \
    X(ReplaceLookAlikesTip, 431) \
    X(UnknownMergeFields, 432) \
    X(RowsLackingField, 433) \
    X(OptedOutNotSent, 450) \
    X(RepeatNotSent, 451) \
    X(NumberCheckHeading, 452) \
    X(InvalidNumbers, 453) \
    X(NotMobileNumbers, 454) \
    X(RepeatedNumbers, 455) \
    X(OptedOutContacts, 456) \
    X(OnceOrEveryRow, 457) \
    X(AndMore, 458) \
    X(OptOut, 459) \
    X(OptBackIn, 460) \
    X(OptOutsLink, 461) \
    X(OptOutsTitle, 462) \
    X(OptOutsHeading, 463) \
    X(OptOutsAdd, 464) \
    X(OptOutsRemove, 465) \
    X(OptOutsClose, 466) \
    X(OptOutPrompt, 467) \
    X(SendToOptedOut, 468) \
    X(CommercialSms, 490) \
    X(CommercialSmsHelp, 491) \
    X(OutsideHoursQuestion, 492) \
    X(NoStopWord, 493) \
    X(ImportGroup, 494) \
    X(ExportGroup, 495) \
    X(ImportButton, 496) \
    X(ExportButton, 497) \
    X(OutcomeSkipped, 498) \
    X(NotSentRunStopped, 500) \
    X(OutcomeNotSent, 501) \
    X(StopButton, 502) \
    X(PauseButton, 503) \
    X(ResumeButton, 504) \
    X(MailingPace, 505) \
    X(MailingPaceHelp, 506) \
    X(SmsPerMinute, 507) \
    X(ParallelRequests, 508) \
    X(RunSummary, 510) \
    X(OutcomeAccepted, 511) \
    X(OutcomeRefused, 512) \
    X(OutcomeUnreachable, 513) \
    X(OutcomeNoAnswer, 514) \
    X(GsmSummary, 520) \
    X(UnicodeSummary, 521) \
    X(GsmSizes, 522) \
    X(CharactersCountingTwice, 523) \
    X(UnicodeSizes, 524) \
    X(CharactersForcingUnicode, 525) \
    X(CreditShort, 526) \
    X(ExportResults, 527) \
    X(ExportResultsTip, 528) \
    X(ResendNotAccepted, 529) \
    X(ResendNotAcceptedTip, 530) \
    X(ExportResultsTitle, 531) \
    X(CsvOnlyFileFilter, 532) \
    X(CannotWriteFile, 533) \
    X(Progress, 534) \
    X(SendResults, 535) \
    X(NoAnswerMaybeSent, 536) \
    X(StopMailingAndQuit, 537) \
    X(ResendUnknownQuestion, 538) \
    X(CsvPreview, 539) \
    X(CsvColumnOfEachField, 540) \
    X(CsvDoNotImport, 541) \
    X(ResumeRunQuestion, 542) \
    X(FileUnreadable, 550) \
    X(CannotWriteDataDir, 551) \
    X(UnsavableCharacters, 552) \
    X(CsvLinesRefused, 553) \
    X(NotPlainFile, 554) \
    X(FromVCardFile, 555) \
    X(ImportFromVCard, 556) \
    X(VCardFileFilter, 557) \
    X(ExportAsVCard, 558) \
    X(ExportToVCard, 559) \
    X(ContactsExported, 560) \
    X(VCardsRefused, 561) \
    X(FileNotSaved, 562) \
    X(GatewayBusyNotSent, 600) \
    X(OutcomeBusy, 601) \
    X(RunHeldElsewhere, 602) \
    X(OptOutUnreadableNoMailing, 603) \
    X(GatewayBusyWaiting, 604) \
    X(NumbersRewritten, 650) \
    X(NumberRewritten, 651) \
    X(NumbersUnreadable, 652) \
    X(NoContactInFile, 653) \
    X(ChooseNumberColumn, 654) \
    X(CharactersReplaced, 655) \
    X(CharacterReplaced, 656) \
    X(SkippedNotSent, 670) \
    X(InvalidNotSent, 671) \
    X(SkippedCount, 672) \
    X(SkipInvalidNumbers, 673) \
    X(OncePerNumberButton, 674) \
    X(EveryRowButton, 675) \
    X(SeeList, 676) \
    X(NumberListTitle, 677) \
    X(DeferredTimePassed, 680) \
    X(NewSendingTime, 681) \
    X(CostSummary, 690) \
    X(CostUnicodeRows, 691) \
    X(CostCutRows, 692) \
    X(CostMoreNames, 693) \
    X(ExportHistoryTitle, 694) \
    X(HistorySpreadsheetTitles, 695) \
    X(HistoryDateFormat, 696) \
    X(SearchContacts, 697) \
    X(MyNumber, 700) \
    X(SendTest, 701) \
    X(MyNumberHelp, 702) \
    X(NoMyNumber, 703) \
    X(TestSent, 704) \
    X(TestSms, 705) \
    X(SpreadsheetUnreadable, 710) \
    X(SpreadsheetDamaged, 711) \
    X(SpreadsheetTrue, 712) \
    X(SpreadsheetFalse, 713) \
    X(CampaignFigures, 720) \
    X(FromSpreadsheet, 730) \
    X(SpreadsheetFilter, 731) \
    X(LoadSpreadsheet, 732) \
    X(SpreadsheetFields, 733) \
    X(KxgDropsColumns, 734) \
    X(ProxyHeading, 740) \
    X(ProxyHelp, 741) \
    X(ProxyHost, 742) \
    X(ProxyPort, 743) \
    X(ProxyUser, 744) \
    X(ProxyAuthRefused, 745) \
    X(ProxyUnusable, 746)
// clang-format on

enum class Txt : int {
#define PARLEVO_TEXT_ENUMERATOR(name, number) name = number,
    PARLEVO_TEXTS(PARLEVO_TEXT_ENUMERATOR)
#undef PARLEVO_TEXT_ENUMERATOR
};

struct NamedText {
    Txt text;
    const char *name;
};

// Every name with its number, in the order of the list.
inline constexpr auto kAllTexts = std::to_array<NamedText>({
#define PARLEVO_TEXT_ENTRY(name, number) {Txt::name, #name},
    PARLEVO_TEXTS(PARLEVO_TEXT_ENTRY)
#undef PARLEVO_TEXT_ENTRY
});

// A number named twice would have two texts read one key of the language file.
constexpr bool textNumbersAreDistinctAndInTable()
{
    std::array<bool, kTextTableSize + 1> taken{};
    for (const NamedText &entry : kAllTexts) {
        const int number = static_cast<int>(entry.text);
        if (number < 1 || number > kTextTableSize || taken[number])
            return false;
        taken[number] = true;
    }
    return true;
}
static_assert(textNumbersAreDistinctAndInTable(), "two names share a number, or a number is outside 1..1000");

// The text of the gateway's reply code: entry 300 + code for the codes 1 to 100; other codes
// have none.
constexpr std::optional<Txt> replyCodeText(int code)
{
    if (code < 1 || code > 100)
        return std::nullopt;
    return static_cast<Txt>(300 + code);
}

} // namespace parlevo
