#include "household_archive.h"

#include <algorithm>
#include <array>
#include <map>

namespace tavelo::filing::bench {

namespace {

class Rng {
public:
    explicit Rng(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t Next()
    {
        // splitmix64
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int Below(int n) { return n <= 1 ? 0 : static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }
    bool Chance(double p) { return static_cast<double>(Next() >> 11) * 0x1.0p-53 < p; }
    template <typename T>
    const T& Pick(const std::vector<T>& items)
    {
        return items[static_cast<std::size_t>(Below(static_cast<int>(items.size())))];
    }

private:
    std::uint64_t m_state;
};

struct Day {
    int year = 2024;
    int month = 1; // 1..12
    int day = 1;
};

const std::array<const char*, 12> kMonths = {"janvier", "février", "mars",      "avril",   "mai",      "juin",
                                             "juillet", "août",    "septembre", "octobre", "novembre", "décembre"};

std::string Two(int n)
{
    return (n < 10 ? "0" : "") + std::to_string(n);
}

std::string Iso(const Day& d)
{
    return std::to_string(d.year) + "-" + Two(d.month) + "-" + Two(d.day);
}

std::string DateAs(const Day& d, int style)
{
    switch (style % 4) {
    case 0:
        return Two(d.day) + "/" + Two(d.month) + "/" + std::to_string(d.year);
    case 1:
        return std::to_string(d.day) + " " + kMonths[static_cast<std::size_t>(d.month - 1)] + " " + std::to_string(d.year);
    case 2:
        return Two(d.day) + "." + Two(d.month) + "." + std::to_string(d.year);
    default:
        return Two(d.day) + "/" + Two(d.month) + "/" + std::to_string(d.year);
    }
}

Day Shifted(Day d, int days)
{
    d.day += days;
    while (d.day > 28) {
        d.day -= 28;
        if (++d.month > 12) {
            d.month = 1;
            ++d.year;
        }
    }
    return d;
}

std::string Digits(Rng& rng, int n)
{
    std::string s;
    for (int i = 0; i < n; ++i)
        s += static_cast<char>('0' + (i == 0 ? 1 + rng.Below(9) : rng.Below(10)));
    return s;
}

std::string Grouped(const std::string& s, std::size_t group, const std::string& sep)
{
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (i > 0 && i % group == 0)
            out += sep;
        out += s[i];
    }
    return out;
}

std::string Luhn(const std::string& body)
{
    for (char c = '0'; c <= '9'; ++c) {
        const std::string candidate = body + c;
        int sum = 0;
        bool twice = false;
        for (std::size_t i = candidate.size(); i-- > 0;) {
            int d = candidate[i] - '0';
            if (twice && (d *= 2) > 9)
                d -= 9;
            sum += d;
            twice = !twice;
        }
        if (sum % 10 == 0)
            return candidate;
    }
    return body + "0";
}

std::string FrenchIban(Rng& rng)
{
    const std::string bban = Digits(rng, 23);
    // Check digits: the BBAN, then "FR00" as digits (F=15, R=27), mod 97.
    const std::string rearranged = bban + "152700";
    int r = 0;
    for (const char c : rearranged)
        r = (r * 10 + (c - '0')) % 97;
    return "FR" + Two(98 - r) + bban;
}

std::string Amount(Rng& rng, int low, int high)
{
    const int euros = low + rng.Below(std::max(1, high - low));
    return std::to_string(euros) + "," + Two(rng.Below(100));
}

struct Person {
    std::string first;
    std::string last;
    std::string Full() const { return first + " " + last; }
};

struct Place {
    std::string street;
    std::string city; // postcode and town
};

struct Household {
    Person a, b, child;
    Place home, second;
    std::string iban, iban2;
    std::string fiscalA, fiscalB;
    std::string car;
};

struct Issuer {
    std::string name;
    std::string street;
    std::string city;
    std::string siret;
    std::string domain;
    std::string phone;
    std::string iban;
    std::string legal;
    int numberStyle = 0; // how this issuer prints its numbers
};

enum class Kind {
    kEnergy,
    kWater,
    kStatement,
    kSavings,
    kLoan,
    kTax,
    kPayslip,
    kHealth,
    kMutual,
    kInsurance,
    kTelecom,
    kSyndic,
    kWorks,
    kGarage,
    kSchool,
    kClub,
    kDonation,
    kPurchase,
    kTravel,
    kVet,
    kAdmin,
};

struct Plan {
    std::string title, name, expected;
    Kind kind = Kind::kPurchase;
    std::vector<int> issuers; // the first most of the time
    std::vector<std::pair<std::string, std::string>> ids; // label ("contrat", "client", "adhérent", ...) and value
    int person = -1;  // 0, 1, 2 (the child); -1 the household
    int place = 0;    // 0 home, 1 second home
    std::vector<int> months; // 0..23 from January 2024
    std::vector<std::string> words;
    std::string createdOn, closedOn;
};

const std::vector<std::string> kFirstA = {"Paul", "Marc", "Julien", "Thomas", "Nicolas", "Olivier", "Hugo", "Antoine"};
const std::vector<std::string> kFirstB = {"Claire", "Sophie", "Camille", "Julie", "Élise", "Nathalie", "Inès", "Laure"};
const std::vector<std::string> kChild = {"Léa", "Chloé", "Louis", "Emma", "Jules", "Manon", "Gabriel", "Zoé"};
const std::vector<std::string> kLast = {"Martin", "Bernard", "Dubois", "Durand", "Lefèvre", "Moreau", "Laurent",
                                        "Girard", "Roux",   "Fournier", "Morel", "Mercier"};
const std::vector<std::string> kStreets = {"rue des Lilas", "avenue Jean Jaurès", "rue de la Paix", "boulevard Victor Hugo",
                                           "impasse des Acacias", "rue Pasteur", "chemin des Pins", "allée des Tilleuls",
                                           "rue du Moulin", "place de l'Église"};
const std::vector<std::string> kCities = {"44000 Nantes", "35000 Rennes", "69003 Lyon", "31000 Toulouse",
                                          "33000 Bordeaux", "67000 Strasbourg", "59000 Lille", "13008 Marseille"};
const std::vector<std::string> kSecondCities = {"56340 Carnac", "17590 Ars-en-Ré", "05100 Briançon", "64200 Biarritz",
                                                "29900 Concarneau", "74400 Chamonix"};

const char* const kCnil =
    "Conformément à la loi Informatique et Libertés du 6 janvier 1978 modifiée et au RGPD, vous disposez d'un droit "
    "d'accès, de rectification et d'opposition aux données vous concernant.";
const char* const kLate =
    "En cas de retard de paiement, une indemnité forfaitaire de 40 € pour frais de recouvrement sera exigée, ainsi "
    "que des pénalités au taux légal.";

struct Context {
    Rng& rng;
    const Household& home;
    const Issuer& issuer;
    const Plan& plan;
    Day day;
    int layout = 0;
    bool references = true; // false: a letter without any number
};

const Person& PersonOf(const Household& h, int person)
{
    return person == 1 ? h.b : person == 2 ? h.child : h.a;
}

std::string Recipient(const Context& c)
{
    const Person& p = PersonOf(c.home, c.plan.person);
    const Place& place = c.plan.place == 1 ? c.home.second : c.home.home;
    std::string who = c.plan.person < 0 ? "M. et Mme " + c.home.a.last : (c.plan.person == 2 ? "Représentant légal de " : "") + p.Full();
    if (c.layout == 1) {
        std::string upper = who;
        std::transform(upper.begin(), upper.end(), upper.begin(), [](char ch) { return ch >= 'a' && ch <= 'z' ? ch - 32 : ch; });
        who = upper;
    }
    return who + "\n" + place.street + "\n" + place.city + "\n";
}

// A number as this issuer prints it in this layout.
std::string Number(const Context& c, const std::string& value)
{
    switch ((c.issuer.numberStyle + c.layout) % 4) {
    case 0:
        return Grouped(value, 4, " ");
    case 1:
        return value;
    case 2:
        return Grouped(value, 4, "-");
    default:
        return Grouped(value, 3, " ");
    }
}

std::string Label(const Context& c, const std::string& label)
{
    static const std::map<std::string, std::array<const char*, 3>> kLabels = {
        {"contrat", {"N° de contrat : ", "Contrat n° ", "Votre contrat "}},
        {"client", {"N° client : ", "Référence client ", "Votre numéro client "}},
        {"adhérent", {"N° d'adhérent : ", "Adhérent n° ", "Votre adhésion "}},
        {"prêt", {"N° de prêt : ", "Contrat de prêt n° ", "Votre prêt "}},
        {"police", {"Police n° ", "N° de police : ", "Votre contrat "}},
        {"dossier", {"N° de dossier : ", "Dossier ", "Référence de votre dossier "}},
        {"commande", {"Commande n° ", "N° de commande : ", "Votre commande "}},
        {"fiscal", {"Numéro fiscal : ", "N° fiscal ", "Votre numéro fiscal "}},
        {"immatriculation", {"Immatriculation : ", "Véhicule ", "Votre véhicule immatriculé "}},
        {"compte", {"Compte n° ", "N° de compte : ", "Votre compte "}},
    };
    const auto found = kLabels.find(label);
    if (found == kLabels.end())
        return label + " ";
    return found->second[static_cast<std::size_t>(c.layout % 3)];
}

std::string References(const Context& c)
{
    std::string out;
    if (!c.references)
        return out;
    for (const auto& [label, value] : c.plan.ids) {
        // Not every layout repeats every number.
        if (c.layout == 2 && &value != &c.plan.ids.front().second && c.rng.Chance(0.5))
            continue;
        const std::string shown = label == "immatriculation" ? value : Number(c, value);
        out += Label(c, label) + shown + (c.layout == 1 ? "   " : "\n");
    }
    if (c.layout == 1 && !out.empty())
        out += "\n";
    return out;
}

std::string Words(const Context& c)
{
    std::string out;
    for (const std::string& w : c.plan.words)
        if (c.rng.Chance(0.7))
            out += (out.empty() ? "" : " ") + w;
    return out;
}

// The body of a document of this kind: what it is about, with its amounts.
std::string Body(Context& c, std::string& object)
{
    Rng& rng = c.rng;
    const std::string y = std::to_string(c.day.year);
    const std::string words = Words(c);
    const Place& place = c.plan.place == 1 ? c.home.second : c.home.home;
    std::string b;
    switch (c.plan.kind) {
    case Kind::kEnergy:
        object = rng.Pick<std::string>({"Votre facture d'électricité", "Facture de régularisation", "Votre échéancier",
                                        "Information sur l'évolution de vos tarifs"});
        b = "Adresse de consommation : " + place.street + " " + place.city + "\n";
        b += "Consommation relevée : " + std::to_string(200 + rng.Below(900)) + " kWh, option " +
             rng.Pick<std::string>({"Base", "Heures creuses", "Tempo"}) + ", puissance souscrite " +
             std::to_string(6 + 3 * rng.Below(3)) + " kVA.\n";
        b += "Abonnement " + Amount(rng, 10, 30) + " € HT, acheminement, contribution au service public de "
             "l'électricité, TVA.\n" + words + "\n";
        break;
    case Kind::kWater:
        object = rng.Pick<std::string>({"Facture d'eau", "Relevé de compteur", "Échéancier eau et assainissement"});
        b = "Consommation d'eau potable : " + std::to_string(20 + rng.Below(80)) + " m3 au compteur de " + place.street +
            ".\nRedevance assainissement collectif, préservation des ressources en eau.\n" + words + "\n";
        break;
    case Kind::kStatement:
        object = "Relevé de compte du mois de " + std::string(kMonths[static_cast<std::size_t>(c.day.month - 1)]) + " " + y;
        b = "Solde créditeur au début de période " + Amount(rng, 100, 5000) + " €\n";
        for (int i = 0; i < 6 + rng.Below(6); ++i)
            b += Two(1 + rng.Below(28)) + "/" + Two(c.day.month) + " " +
                 rng.Pick<std::string>({"PRLV SEPA EDF", "CB CARREFOUR", "VIR SALAIRE", "CB SNCF", "PRLV ORANGE",
                                        "CHQ 1234", "CB PHARMACIE", "PRLV MAIF", "RETRAIT DAB"}) +
                 " " + Amount(rng, 5, 900) + "\n";
        b += "Nouveau solde " + Amount(rng, 100, 5000) + " €\n" + words + "\n";
        break;
    case Kind::kSavings:
        object = rng.Pick<std::string>({"Relevé annuel d'épargne", "Intérêts de votre livret", "Relevé de livret"});
        b = "Intérêts acquis au 31/12 : " + Amount(rng, 10, 300) + " €, taux en vigueur 3 %.\nPlafond de dépôt "
            "22 950 €.\n" + words + "\n";
        break;
    case Kind::kLoan:
        object = rng.Pick<std::string>({"Tableau d'amortissement", "Échéance de votre prêt", "Attestation d'intérêts"});
        b = "Capital restant dû : " + Amount(rng, 80000, 180000) + " €, échéance mensuelle " + Amount(rng, 700, 1200) +
            " € dont assurance emprunteur.\nTaux nominal fixe 1,45 %.\n" + words + "\n";
        break;
    case Kind::kTax: {
        const int income = c.day.year - 1;
        const int pick = rng.Below(4);
        if (pick == 0) {
            object = "Avis d'impôt " + y + " sur les revenus de " + std::to_string(income);
            b = "Impôt sur le revenu et prélèvements sociaux. Revenu fiscal de référence : " + Digits(rng, 5) +
                " €. Nombre de parts 2,5.\nMontant restant à payer " + Amount(rng, 100, 2000) +
                " €. Date limite de paiement : " + DateAs(Shifted(c.day, 20), 0) + ".\nRéférence de l'avis : " +
                Grouped(Digits(rng, 13), 2, " ") + "\n";
        } else if (pick == 1) {
            object = "Avis de taxe foncière " + y;
            b = "Taxe foncière sur les propriétés bâties " + y + ", " + place.street + " " + place.city +
                ". Base d'imposition, taux communal et intercommunal, taxe d'enlèvement des ordures ménagères.\n"
                "Montant à payer " + Amount(rng, 600, 2500) + " €.\n";
        } else if (pick == 2) {
            object = "Déclaration des revenus " + std::to_string(income);
            b = "Accusé de réception de votre déclaration en ligne des revenus " + std::to_string(income) +
                ". Traitements et salaires, revenus de capitaux mobiliers, frais réels.\n";
        } else {
            object = "Attestation fiscale " + std::to_string(income);
            b = "Montant net imposable versé au cours de l'année " + std::to_string(income) + " : " +
                Amount(rng, 20000, 45000) + " €. Prélèvement à la source retenu.\nFait le " + DateAs(c.day, 0) + ".\n";
        }
        b += words + "\n";
        break;
    }
    case Kind::kPayslip:
        object = "Bulletin de salaire";
        b = "Période du 01/" + Two(c.day.month) + "/" + y + " au 28/" + Two(c.day.month) + "/" + y + "\n";
        b += "Salaire de base " + Amount(rng, 2500, 3500) + " ; heures supplémentaires ; cotisations salariales "
             "sécurité sociale, retraite complémentaire, CSG CRDS.\nNet à payer avant impôt " +
             Amount(rng, 2000, 2800) + " €. Impôt sur le revenu prélevé à la source. Cumul imposable " + y + ".\n" +
             "Convention collective, emploi " + words + "\n";
        break;
    case Kind::kHealth:
        object = rng.Pick<std::string>({"Relevé de remboursements", "Décompte de prestations", "Attestation de droits"});
        b = "Bénéficiaire : " + PersonOf(c.home, c.plan.person).Full() + "\nConsultation du " +
            DateAs(Shifted(c.day, -10), 0) + " : montant remboursé " + Amount(rng, 10, 80) +
            " €, participation forfaitaire 2 €.\n" + words + "\n";
        break;
    case Kind::kMutual:
        object = rng.Pick<std::string>({"Décompte de remboursement complémentaire", "Échéancier de cotisations",
                                        "Votre carte de tiers payant"});
        b = "Bénéficiaire : " + PersonOf(c.home, c.plan.person).Full() + "\nPart complémentaire remboursée " +
            Amount(rng, 5, 120) + " € ; cotisation mensuelle " + Amount(rng, 40, 90) + " €.\n" + words + "\n";
        break;
    case Kind::kInsurance:
        object = rng.Pick<std::string>({"Avis d'échéance", "Attestation d'assurance", "Conditions particulières",
                                        "Modification de votre contrat"});
        b = "Garanties : responsabilité civile, dommages, protection juridique, assistance.\nCotisation annuelle " +
            Amount(rng, 150, 900) + " € TTC payable par prélèvement mensuel.\n" + words + "\n";
        break;
    case Kind::kTelecom:
        object = rng.Pick<std::string>({"Votre facture", "Facture mensuelle", "Évolution de votre offre"});
        b = "Forfait " + rng.Pick<std::string>({"fibre", "mobile 100 Go", "box", "mobile 5G"}) +
            ", appels illimités, options. Montant HT " + Amount(rng, 10, 50) + " €.\n" + words + "\n";
        break;
    case Kind::kSyndic:
        object = rng.Pick<std::string>({"Appel de fonds trimestriel", "Convocation à l'assemblée générale",
                                        "Régularisation des charges"});
        b = "Copropriété de la résidence, " + place.street + ". Lot " + std::to_string(rng.Below(40)) +
            ", tantièmes " + std::to_string(100 + rng.Below(200)) + "/10000.\nCharges courantes " +
            Amount(rng, 200, 800) + " €, fonds travaux loi ALUR.\n" + words + "\n";
        break;
    case Kind::kWorks:
        object = rng.Pick<std::string>({"Devis", "Facture d'acompte", "Facture de solde", "Procès-verbal de réception"});
        b = "Chantier : " + place.street + " " + place.city + ". " + words + ".\nFourniture et pose, main d'œuvre, "
            "TVA 10 % travaux de rénovation. Total " + Amount(rng, 500, 9000) + " € TTC.\n";
        break;
    case Kind::kGarage:
        object = rng.Pick<std::string>({"Facture d'entretien", "Ordre de réparation", "Procès-verbal de contrôle technique"});
        b = "Véhicule " + c.home.car + ", kilométrage " + std::to_string(40000 + rng.Below(60000)) + " km. " + words +
            ".\nPièces et main d'œuvre, total " + Amount(rng, 80, 900) + " € TTC.\n";
        break;
    case Kind::kSchool:
        object = rng.Pick<std::string>({"Facture de restauration scolaire", "Avis des sommes à payer",
                                        "Inscription périscolaire"});
        b = "Enfant : " + c.home.child.Full() + ". Repas du mois de " +
            std::string(kMonths[static_cast<std::size_t>(c.day.month - 1)]) + ", " + std::to_string(10 + rng.Below(10)) +
            " repas au tarif " + Amount(rng, 2, 5) + " €. " + words + "\n";
        break;
    case Kind::kClub:
        object = rng.Pick<std::string>({"Cotisation annuelle", "Reçu d'adhésion", "Planning de la saison"});
        b = "Adhérent : " + PersonOf(c.home, c.plan.person).Full() + ". " + words + ". Licence et cotisation " +
            Amount(rng, 80, 400) + " €.\n";
        break;
    case Kind::kDonation:
        object = "Reçu fiscal au titre des dons " + y;
        b = "Reçu au titre des dons à certains organismes d'intérêt général, articles 200 et 238 bis du code général "
            "des impôts. Montant du don " + Amount(rng, 20, 300) + " €. " + words + "\n";
        break;
    case Kind::kPurchase:
        object = rng.Pick<std::string>({"Facture", "Confirmation de commande", "Bon de livraison", "Certificat de garantie"});
        b = "Article : " + words + ". Quantité 1. Prix unitaire " + Amount(rng, 50, 1500) +
            " € TTC, éco-participation incluse. Garantie légale de conformité de deux ans.\n";
        break;
    case Kind::kTravel:
        object = rng.Pick<std::string>({"Confirmation de réservation", "Billet électronique", "Facture de séjour"});
        b = "Voyageurs : " + c.home.a.Full() + ", " + c.home.b.Full() + ". " + words + ". Total payé " +
            Amount(rng, 100, 3000) + " €.\n";
        break;
    case Kind::kVet:
        object = rng.Pick<std::string>({"Facture de consultation", "Rappel de vaccination", "Ordonnance vétérinaire"});
        b = "Animal : " + words + ". Consultation, vaccin, antiparasitaire. Total " + Amount(rng, 30, 250) + " € TTC.\n";
        break;
    case Kind::kAdmin:
        object = rng.Pick<std::string>({"Récépissé de demande", "Convocation", "Notification de décision"});
        b = "Votre demande concernant " + words + " a été enregistrée le " + DateAs(c.day, 1) +
            ". Pièces justificatives reçues.\n";
        break;
    }
    return b;
}

std::string Compose(Context& c)
{
    const Issuer& is = c.issuer;
    std::string object;
    const std::string body = Body(c, object);
    const Household& h = c.home;
    const std::string due = DateAs(Shifted(c.day, 15), c.layout + 1);
    const std::string amount = Amount(c.rng, 10, 400);
    std::string t;
    switch (c.layout) {
    case 0:
        t = is.name + "\n" + is.street + "\n" + is.city + "\n\n" + Recipient(c) + "\n" + is.city.substr(6) + ", le " +
            DateAs(c.day, 1) + "\n\nObjet : " + object + "\n" + References(c) + "\nMadame, Monsieur,\n" + body +
            "Montant TTC : " + amount + " €\nDate d'échéance : " + due + "\nPrélèvement SEPA sur votre compte IBAN " +
            Grouped(h.iban, 4, " ") + "\n\n" + is.name + " - SIRET " + Grouped(is.siret, 3, " ") + " - " + is.legal +
            "\n" + kCnil + "\n";
        break;
    case 1: {
        std::string upper = is.name;
        std::transform(upper.begin(), upper.end(), upper.begin(), [](char ch) { return ch >= 'a' && ch <= 'z' ? ch - 32 : ch; });
        t = upper + "  www." + is.domain + "  " + is.phone + "\n" + object + " du " + DateAs(c.day, 0) + "\n" +
            References(c) + Recipient(c) + "\n" + body + "TOTAL TTC " + amount + " EUR   Échéance le " + due +
            "\nMode de paiement : prélèvement automatique\nService client " + is.phone + " - service.client@" +
            is.domain + "\nSIRET " + is.siret + " - RCS - " + is.legal + "\n" + kLate + "\n";
        break;
    }
    default:
        t = "De : " + is.name + " <contact@" + is.domain + ">\nÀ : " + PersonOf(h, c.plan.person).Full() +
            "\nObjet : " + object + "\nDate : " + DateAs(c.day, 2) + "\n\nBonjour " +
            PersonOf(h, c.plan.person).first + ",\n" + body + References(c) + "Le montant de " + amount +
            " € sera prélevé à l'échéance du " + due + ".\nCordialement,\nL'équipe " + is.name +
            "\nPour nous régler par virement : IBAN " + Grouped(is.iban, 4, " ") + "\n" + kCnil + "\n";
        break;
    }
    return t;
}

Issuer MakeIssuer(Rng& rng, const std::string& name, const std::string& domain, const std::string& legal)
{
    Issuer is;
    is.name = name;
    is.street = std::to_string(1 + rng.Below(120)) + " " + rng.Pick(kStreets);
    is.city = rng.Pick(kCities);
    is.siret = Luhn(Digits(rng, 13));
    is.domain = domain;
    is.phone = "0" + std::to_string(1 + rng.Below(9)) + " " + Grouped(Digits(rng, 8), 2, " ");
    is.iban = FrenchIban(rng);
    is.legal = legal;
    is.numberStyle = rng.Below(4);
    return is;
}

std::vector<int> Every(int step, int from = 0, int to = 23)
{
    std::vector<int> months;
    for (int m = from; m <= to; m += step)
        months.push_back(m);
    return months;
}

} // namespace

std::string DegradeLikeOcr(const std::string& text, std::uint64_t seed, double strength)
{
    Rng rng(seed);
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    const double p = 0.02 * strength;
    std::size_t lineLength = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        // Accented letters (two bytes) lose their accent half of the time.
        if (static_cast<unsigned char>(c) == 0xC3 && i + 1 < text.size() && rng.Chance(0.5 * strength)) {
            const auto next = static_cast<unsigned char>(text[++i]);
            const char* plain = "AAAAAAACEEEEIIII";
            if (next >= 0x80 && next < 0x90)
                out += plain[next - 0x80];
            else if (next >= 0xA0 && next < 0xB0)
                out += static_cast<char>(plain[next - 0xA0] + 32);
            else if (next >= 0xB2 && next <= 0xB6)
                out += 'o';
            else if (next >= 0xB9 && next <= 0xBC)
                out += 'u';
            else
                out += 'e';
            ++lineLength;
            continue;
        }
        if (rng.Chance(p)) {
            switch (c) {
            case '0': out += 'O'; continue;
            case 'O': out += '0'; continue;
            case '1': out += 'l'; continue;
            case 'l': out += '1'; continue;
            case '5': out += 'S'; continue;
            case '8': out += 'B'; continue;
            case 'm': out += "rn"; continue;
            case 'e': out += 'c'; continue;
            case 'i': out += "l"; continue;
            case ',': out += '.'; continue;
            default: break;
            }
        }
        if (c == 'r' && i + 1 < text.size() && text[i + 1] == 'n' && rng.Chance(p * 5)) {
            out += 'm';
            ++i;
            continue;
        }
        if (c == ' ' && lineLength > 30 && rng.Chance(0.04 * strength)) {
            // A line broken where the scan saw a column.
            out += '\n';
            lineLength = 0;
            continue;
        }
        if (c == '\n' && rng.Chance(0.1 * strength)) {
            out += ' ';
            continue;
        }
        if (rng.Chance(p / 4))
            out += rng.Pick<std::string>({"'", "~", ".", "|"});
        out += c;
        lineLength = c == '\n' ? 0 : lineLength + 1;
    }
    return out;
}

Archive MakeHouseholdArchive(std::uint64_t seed, int households)
{
    Archive archive;
    for (int hh = 0; hh < households; ++hh) {
        Rng rng(seed * 1000003 + static_cast<std::uint64_t>(hh));
        Household h;
        const std::string last = kLast[static_cast<std::size_t>((hh + rng.Below(3)) % kLast.size())];
        h.a = {rng.Pick(kFirstA), last};
        h.b = {rng.Pick(kFirstB), last};
        h.child = {rng.Pick(kChild), last};
        h.home = {std::to_string(1 + rng.Below(80)) + " " + rng.Pick(kStreets), rng.Pick(kCities)};
        h.second = {std::to_string(1 + rng.Below(80)) + " " + rng.Pick(kStreets), rng.Pick(kSecondCities)};
        h.iban = FrenchIban(rng);
        h.iban2 = FrenchIban(rng);
        h.fiscalA = Digits(rng, 13);
        h.fiscalB = Digits(rng, 13);
        h.car = std::string(1, static_cast<char>('A' + rng.Below(26))) + "B-" + Digits(rng, 3) + "-C" +
                static_cast<char>('A' + rng.Below(26));
        const std::string homeTown = h.home.city.substr(6);
        const std::string secondTown = h.second.city.substr(6);

        std::vector<Issuer> issuers;
        const auto issuer = [&](const std::string& name, const std::string& domain, const std::string& legal) {
            issuers.push_back(MakeIssuer(rng, name, domain, legal));
            return static_cast<int>(issuers.size()) - 1;
        };
        const int edf = issuer("EDF", "edf.fr", "SA au capital de 2 084 365 041 euros");
        const int engie = issuer("Engie", "engie.fr", "SA au capital de 2 435 285 011 euros");
        const int water = issuer("Eau de " + homeTown, "eau-metropole.fr", "Régie publique");
        const int bank = issuer("Crédit Agricole", "credit-agricole.fr", "Société coopérative à capital variable, ORIAS 07 022 967");
        const int bank2 = issuer("Boursorama Banque", "boursorama.fr", "SA au capital de 51 171 597 euros");
        const int dgfip = issuer("Direction générale des Finances publiques", "impots.gouv.fr", "Centre des finances publiques");
        const int employerA = issuer("Airbus Atlantic", "airbus.com", "SAS au capital de 150 000 000 euros");
        const int employerB = issuer("Clinique du Parc", "clinique-parc.fr", "SAS au capital de 2 000 000 euros");
        const int mutual = issuer("Harmonie Mutuelle", "harmonie-mutuelle.fr", "Mutuelle soumise au livre II du code de la mutualité");
        const int cpam = issuer("Assurance Maladie", "ameli.fr", "Caisse primaire d'assurance maladie");
        const int maif = issuer("MAIF", "maif.fr", "Société d'assurance mutuelle à cotisations variables");
        const int orange = issuer("Orange", "orange.fr", "SA au capital de 10 640 226 396 euros");
        const int free = issuer("Free Mobile", "free.fr", "SAS au capital de 365 138 779 euros");
        const int syndic = issuer("Foncia", "foncia.fr", "Carte professionnelle gestion immobilière");
        const int kitchen = issuer("Cuisines Schmidt", "cuisines-schmidt.fr", "SARL au capital de 50 000 euros");
        const int garage = issuer("Garage Renault " + homeTown, "renault.fr", "SARL au capital de 80 000 euros");
        const int townHall = issuer("Mairie de " + homeTown, "mairie.fr", "Collectivité territoriale");
        const int club = issuer("Tennis Club de " + homeTown, "tennis-club.fr", "Association loi 1901");
        const int charity = issuer("Restos du Cœur", "restosducoeur.org", "Association reconnue d'utilité publique");
        const int shop = issuer("Boulanger", "boulanger.com", "SA au capital de 16 000 000 euros");
        const int sncf = issuer("SNCF Voyageurs", "sncf.com", "SA au capital de 157 789 960 euros");
        const int vet = issuer("Clinique vétérinaire des Pins", "veto-pins.fr", "SELARL de vétérinaires");
        const int prefecture = issuer("Agence nationale des titres sécurisés", "ants.gouv.fr", "Établissement public");
        const int bouygues = issuer("Bouygues Telecom", "bouyguestelecom.fr", "SA au capital de 712 588 399 euros");
        const int conservatoire = issuer("Conservatoire de " + homeTown, "conservatoire.fr", "Établissement municipal");

        const auto id = [&](int digits) { return Digits(rng, digits); };
        std::vector<Plan> plans;
        const auto plan = [&](Plan p) { plans.push_back(std::move(p)); };
        // Énergie
        plan({"EDF", homeTown, "", Kind::kEnergy, {edf}, {{"contrat", id(10)}, {"client", id(8)}}, -1, 0, Every(2, 0), {"Linky", "logement principal"}, "", ""});
        plan({"EDF", secondTown, "", Kind::kEnergy, {edf}, {{"contrat", id(10)}, {"client", id(8)}}, -1, 1, Every(3, 1), {"résidence secondaire"}, "", ""});
        plan({"Énergie", "Gaz " + homeTown, "", Kind::kEnergy, {engie}, {{"contrat", id(9)}, {"client", id(9)}}, -1, 0, Every(2, 1), {"gaz naturel", "chaudière"}, "", ""});
        plan({"Énergie", "Eau " + homeTown, "", Kind::kWater, {water}, {{"client", id(7)}, {"contrat", id(8)}}, -1, 0, Every(6, 2), {"compteur d'eau"}, "", ""});
        // Banque
        plan({"Banque", "Compte joint", "", Kind::kStatement, {bank}, {{"compte", id(11)}}, -1, 0, Every(1, 0), {"compte de dépôt"}, "", ""});
        plan({"Banque", "Livret A " + h.b.first, "", Kind::kSavings, {bank}, {{"compte", id(11)}}, 1, 0, {0, 12, 23}, {"livret A"}, "", ""});
        plan({"Banque", "Prêt immobilier", "", Kind::kLoan, {bank}, {{"prêt", id(11)}}, -1, 0, Every(6, 0), {"résidence principale", "prêt habitat"}, "", ""});
        plan({"Banque", "Compte " + h.a.first, "", Kind::kStatement, {bank2}, {{"compte", id(11)}}, 0, 0, Every(2, 0), {"compte courant en ligne"}, "", ""});
        // Impôts
        plan({"Impôts", "2024", "Avis d'impôt 2024 et taxe foncière 2024", Kind::kTax, {dgfip, dgfip, employerA, employerB}, {{"fiscal", h.fiscalA}}, 0, 0, {0, 3, 4, 7, 8, 9}, {}, "2024-01-02", "2025-01-20"});
        plan({"Impôts", "2025", "Attendre l'avis d'impôt sur le revenu et l'avis de taxe foncière 2025", Kind::kTax, {dgfip, dgfip, employerA, employerB}, {{"fiscal", h.fiscalA}}, 0, 0, {12, 15, 16, 19, 20, 21}, {}, "2025-01-02", ""});
        plan({"Impôts", "Taxe foncière " + secondTown, "", Kind::kTax, {dgfip}, {{"fiscal", h.fiscalB}}, 1, 1, {9, 21}, {"résidence secondaire"}, "", ""});
        // Travail
        plan({"Travail", "Bulletins " + h.a.first + " 2024", "", Kind::kPayslip, {employerA}, {{"matricule", id(6)}}, 0, 0, Every(1, 0, 11), {"ingénieur", "cadre"}, "", "2025-01-31"});
        plan({"Travail", "Bulletins " + h.a.first + " 2025", "Bulletins de salaire de " + h.a.first + " pour 2025", Kind::kPayslip, {employerA}, {{"matricule", id(6)}}, 0, 0, Every(1, 12, 23), {"ingénieur", "cadre"}, "2025-01-02", ""});
        plan({"Travail", "Bulletins " + h.b.first + " 2024", "", Kind::kPayslip, {employerB}, {{"matricule", id(6)}}, 1, 0, Every(1, 0, 11), {"infirmière", "service de nuit"}, "", "2025-01-31"});
        plan({"Travail", "Bulletins " + h.b.first + " 2025", "", Kind::kPayslip, {employerB}, {{"matricule", id(6)}}, 1, 0, Every(1, 12, 23), {"infirmière", "service de nuit"}, "", ""});
        // Santé
        plan({"Santé", "Mutuelle " + h.a.first, "", Kind::kMutual, {mutual}, {{"adhérent", id(9)}}, 0, 0, Every(3, 1), {"optique"}, "", ""});
        plan({"Santé", "Mutuelle " + h.b.first, "", Kind::kMutual, {mutual}, {{"adhérent", id(9)}}, 1, 0, Every(3, 2), {"dentaire"}, "", ""});
        plan({"Santé", "Sécurité sociale " + h.a.first, "", Kind::kHealth, {cpam}, {{"dossier", id(13)}}, 0, 0, Every(4, 0), {"médecin traitant"}, "", ""});
        plan({"Santé", "Sécurité sociale " + h.b.first, "", Kind::kHealth, {cpam}, {{"dossier", id(13)}}, 1, 0, Every(4, 2), {"kinésithérapie"}, "", ""});
        // Assurances
        plan({"Assurances", "Habitation " + homeTown, "", Kind::kInsurance, {maif}, {{"police", id(10)}}, -1, 0, {0, 1, 12, 13, 20}, {"multirisque habitation", "dégât des eaux"}, "", ""});
        plan({"Assurances", "Habitation " + secondTown, "", Kind::kInsurance, {maif}, {{"police", id(10)}}, -1, 1, {2, 14, 18}, {"multirisque habitation", "résidence secondaire"}, "", ""});
        plan({"Assurances", "Auto " + h.car, "", Kind::kInsurance, {maif}, {{"police", id(10)}, {"immatriculation", h.car}}, 0, 0, {1, 6, 13, 18}, {"bonus malus", "conducteur principal"}, "", ""});
        // Télécom
        plan({"Télécom", "Box " + homeTown, "", Kind::kTelecom, {orange}, {{"client", id(10)}}, -1, 0, Every(2, 0), {"Livebox", "fibre"}, "", ""});
        plan({"Télécom", "Mobile " + h.b.first, "", Kind::kTelecom, {orange}, {{"client", id(10)}}, 1, 0, Every(3, 1), {"ligne mobile", "06 12"}, "", ""});
        plan({"Télécom", "Mobile " + h.a.first, "", Kind::kTelecom, {free}, {{"client", id(8)}}, 0, 0, Every(3, 0), {"ligne mobile"}, "", ""});
        plan({"Télécom", "Box " + secondTown, "", Kind::kTelecom, {bouygues}, {{"client", id(9)}}, -1, 1, Every(4, 3), {"Bbox", "4G"}, "", ""});
        // Logement
        plan({"Logement", "Copropriété", "", Kind::kSyndic, {syndic}, {{"dossier", id(8)}}, -1, 0, Every(3, 0), {"syndic"}, "", ""});
        plan({"Logement", "Travaux cuisine", "Attendre le devis définitif et la facture de la cuisine", Kind::kWorks, {kitchen}, {{"commande", id(8)}}, -1, 0, {2, 3, 5, 7}, {"cuisine équipée", "plan de travail"}, "2024-02-01", "2024-09-30"});
        plan({"Logement", "Travaux salle de bains", "", Kind::kWorks, {kitchen}, {{"commande", id(8)}}, -1, 0, {16, 17, 19}, {"salle de bains", "douche à l'italienne"}, "", ""});
        // Véhicules
        plan({"Véhicules", "Entretien " + h.car, "", Kind::kGarage, {garage}, {{"immatriculation", h.car}, {"client", id(7)}}, 0, 0, {3, 9, 15, 21}, {"vidange", "révision"}, "", ""});
        plan({"Véhicules", "Contrôle technique", "", Kind::kGarage, {garage}, {{"dossier", id(9)}}, 0, 0, {5, 17}, {"contrôle technique", "contre-visite"}, "", ""});
        plan({"Véhicules", "Vélo électrique", "Facture d'achat du vélo électrique et prime à l'achat", Kind::kPurchase, {shop, townHall}, {{"commande", id(9)}}, 0, 0, {14, 15}, {"vélo à assistance électrique", "batterie"}, "2025-03-01", ""});
        // Scolarité
        plan({"Scolarité", "Cantine " + h.child.first + " 2024-2025", "", Kind::kSchool, {townHall}, {{"dossier", id(7)}}, 2, 0, {8, 9, 10, 11, 12, 13, 14, 15, 16, 17}, {"année scolaire 2024-2025", "école élémentaire"}, "", "2025-07-15"});
        plan({"Scolarité", "Cantine " + h.child.first + " 2025-2026", "Factures de restauration scolaire de " + h.child.first + " pour l'année 2025-2026", Kind::kSchool, {townHall}, {{"dossier", id(7)}}, 2, 0, {20, 21, 22, 23}, {"année scolaire 2025-2026", "collège"}, "2025-08-25", ""});
        plan({"Scolarité", "Conservatoire " + h.child.first, "", Kind::kClub, {conservatoire}, {{"dossier", id(6)}}, 2, 0, {8, 9, 20, 21}, {"piano", "solfège"}, "", ""});
        plan({"Loisirs", "Tennis " + h.a.first, "", Kind::kClub, {club}, {{"licence", id(7)}}, 0, 0, {8, 20}, {"licence FFT", "court couvert"}, "", ""});
        // Dons, achats, voyages, animaux, papiers: short matters, many new
        plan({"Dons", "Restos du Cœur 2024", "", Kind::kDonation, {charity}, {}, -1, 0, {11}, {"aide alimentaire"}, "", ""});
        plan({"Dons", "Restos du Cœur 2025", "", Kind::kDonation, {charity}, {}, -1, 0, {23}, {"aide alimentaire"}, "", ""});
        plan({"Achats", "Lave-linge", "", Kind::kPurchase, {shop}, {{"commande", id(9)}}, -1, 0, {4, 4}, {"lave-linge hublot 9 kg", "classe A"}, "", ""});
        plan({"Achats", "Téléviseur", "", Kind::kPurchase, {shop}, {{"commande", id(9)}}, -1, 0, {10, 11}, {"téléviseur OLED 55 pouces", "support mural"}, "", ""});
        plan({"Achats", "Réfrigérateur", "", Kind::kPurchase, {shop}, {{"commande", id(9)}}, -1, 0, {18}, {"réfrigérateur combiné", "froid ventilé"}, "", ""});
        plan({"Achats", "Ordinateur portable", "", Kind::kPurchase, {shop}, {{"commande", id(9)}}, 1, 0, {13, 13}, {"ordinateur portable 15 pouces", "SSD"}, "", ""});
        plan({"Voyages", "Bordeaux mai 2024", "", Kind::kTravel, {sncf}, {{"dossier", id(6)}}, -1, 0, {4, 4}, {"TGV INOUI", "Bordeaux Saint-Jean"}, "", ""});
        plan({"Voyages", "Lyon 2025", "", Kind::kTravel, {sncf}, {{"dossier", id(6)}}, -1, 0, {16, 16}, {"TGV INOUI", "Lyon Part-Dieu"}, "", ""});
        plan({"Voyages", "Marseille 2025", "", Kind::kTravel, {sncf}, {{"dossier", id(6)}}, -1, 0, {19}, {"Ouigo", "Marseille Saint-Charles"}, "", ""});
        plan({"Animaux", "Chat Filou", "", Kind::kVet, {vet}, {{"dossier", id(6)}}, -1, 0, {2, 10, 14, 22}, {"chat européen Filou", "stérilisation"}, "", ""});
        plan({"Animaux", "Chien Rex", "", Kind::kVet, {vet}, {{"dossier", id(6)}}, -1, 0, {17, 19}, {"chien labrador Rex", "puce électronique"}, "", ""});
        plan({"Papiers", "Passeport " + h.child.first, "", Kind::kAdmin, {prefecture}, {{"dossier", id(10)}}, 2, 0, {6, 7}, {"passeport de " + h.child.first, "prise d'empreintes"}, "", ""});
        plan({"Papiers", "Carte d'identité " + h.b.first, "", Kind::kAdmin, {prefecture}, {{"dossier", id(10)}}, 1, 0, {15}, {"carte nationale d'identité de " + h.b.first}, "", ""});
        plan({"Papiers", "Permis " + h.a.first, "", Kind::kAdmin, {prefecture}, {{"dossier", id(10)}}, 0, 0, {20}, {"permis de conduire", "visite médicale"}, "", ""});

        const std::size_t firstSubject = archive.subjects.size();
        for (const Plan& p : plans)
            archive.subjects.push_back({p.title, p.name, p.expected, p.createdOn, p.closedOn});

        for (std::size_t s = 0; s < plans.size(); ++s) {
            const Plan& p = plans[s];
            for (const int month : p.months) {
                Day day{2024 + month / 12, month % 12 + 1, 1 + rng.Below(28)};
                if (!p.createdOn.empty() && Iso(day) <= p.createdOn)
                    day = Day{std::stoi(p.createdOn.substr(0, 4)), std::stoi(p.createdOn.substr(5, 2)),
                              std::min(28, std::stoi(p.createdOn.substr(8, 2)) + 1 + rng.Below(5))};
                if (!p.closedOn.empty() && Iso(day) >= p.closedOn)
                    continue;
                const int who = p.issuers[static_cast<std::size_t>(rng.Below(static_cast<int>(p.issuers.size())))];
                const Issuer& is = issuers[static_cast<std::size_t>(who)];
                Context c{rng, h, is, p, day, rng.Below(3), !rng.Chance(0.25)};
                ArchiveDocument doc;
                doc.date = Iso(day);
                doc.subject = firstSubject + s;
                doc.issuer = std::to_string(hh) + ":" + is.name;
                doc.text = Compose(c);
                doc.scanned = rng.Chance(0.3);
                if (doc.scanned)
                    doc.text = DegradeLikeOcr(doc.text, rng.Next(), 0.6 + 0.8 * static_cast<double>(rng.Below(100)) / 100);
                doc.fileName = "h" + std::to_string(hh) + "-" + Iso(day) + "-" + std::to_string(archive.documents.size()) +
                               ".txt";
                archive.documents.push_back(std::move(doc));
            }
        }
    }
    std::stable_sort(archive.documents.begin(), archive.documents.end(),
                     [](const ArchiveDocument& a, const ArchiveDocument& b) { return a.date < b.date; });
    return archive;
}

} // namespace tavelo::filing::bench
