#include "engine/crm_tables.h"

#include <algorithm>
#include <array>

#include "jet/base/text.h"

namespace engine {

namespace {

// Besides the "CRM_" tables the list holds master-data, statistics and form tables.
constexpr std::array<std::u16string_view, 72> kCrmTables = {
    u"CRM_Adressbuch_Privat",
    u"CRM_Aktivitaeten",
    u"CRM_Berechtigungen",
    u"CRM_Berichte",
    u"CRM_Briefe",
    u"CRM_Briefvorlagen",
    u"CRM_Chancen",
    u"CRM_Chancen_Artikel",
    u"CRM_EMail",
    u"CRM_EMail_Anhaenge",
    u"CRM_EMail_Ausgangsserver",
    u"CRM_EMail_Betreffzeilen",
    u"CRM_EMail_Eingangsserver",
    u"CRM_EMail_Empfaenger",
    u"CRM_EMail_Ordner",
    u"CRM_FreieEMailAdressen",
    u"CRM_FTP_Server",
    u"CRM_Globale_Einstellungen",
    u"CRM_GNotiz_Betreff",
    u"CRM_Intern_Msg",
    u"CRM_Konfiguration",
    u"CRM_Mitarbeiter_Einstellungen",
    u"CRM_News_RobinsonL",
    u"CRM_Newsletter",
    u"CRM_Prozesse",
    u"CRM_Prozesse_Phasen",
    u"CRM_Raeume",
    u"CRM_SMIME_Manager",
    u"CRM_Termin",
    u"CRM_Termin_Ansprechpartner",
    u"CRM_Termin_Artikel",
    u"CRM_Termin_Brief",
    u"CRM_Termin_Chancen",
    u"CRM_Termin_Dokumente",
    u"CRM_Termin_EMail",
    u"CRM_Termin_Ergebnisse",
    u"CRM_Termin_Formulare",
    u"CRM_Termin_LinkedEmails",
    u"CRM_Termin_Mitarbeiter",
    u"CRM_Termin_Projekt",
    u"CRM_Verteiler_Daten",
    u"CRM_Verteiler_Definition",
    u"CRM_QuorlKriterien",
    u"Mitarbeiter",
    u"Mitarbeiter1",
    u"Firmenstamm",
    u"Adressenstamm",
    u"AdressenstammL",
    u"Ansprechpartner",
    u"Artikelstamm",
    u"Artikelstamm1",
    u"Artikelstamm1L",
    u"ArtikelstammL",
    u"Besuchsberichte",
    u"Umsatzstatistik",
    u"Formular_Angebot",
    u"Formular_Auftragsbestätigung",
    u"Formular_Bestellanfrage",
    u"Formular_Bestellung",
    u"Formular_Gutschrift",
    u"Formular_Lieferanmahnung",
    u"Formular_Lieferschein",
    u"Formular_Mahnung",
    u"Formular_Rechnung",
    u"Formular_Sammellieferschein",
    u"Formular_Standardbrief",
    u"Formular_Zusatz",
    u"Formular_Zusatz1",
    u"FormularVerfolgung",
    u"FormularVerfolgung1",
    u"FormularEinstellungenProdukte",
    u"FormularEinstellungenArtikel",
};

}  // namespace

void FillCrmTableList(CrmTableList& list) {
    list.assign(kCrmTables.begin(), kCrmTables.end());
}

bool IsCrmTable(const CrmTableList& list, std::u16string_view tableName) {
    return std::any_of(list.begin(), list.end(), [tableName](const std::u16string& entry) {
        return jet::equalIgnoringCase(entry, tableName);
    });
}

}  // namespace engine
