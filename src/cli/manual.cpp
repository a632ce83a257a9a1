#include "cli/manual.h"

#include "base/tr.h"

#include <utility>

namespace tavelo::cli {

const std::vector<CliCommand>& CliCommands()
{
    static const std::vector<CliCommand> commands = {
        {"dump",
         &RunDump,
         TAVELO_TR_NOOP("Manual tavelo-cli", "dump LIVRE.tvo"),
         nullptr,
         TAVELO_TR_NOOP("Manual tavelo-cli", "Écrit le livre en JSON (UTF-8) sur la sortie standard, sous la forme "
                    "{\"subjects\": [{\"general_title\": \"Impôts\", \"name\": \"2006\", \"state\": 1, "
                    "\"expected\": \"\", \"documents\": [\"/home/ana/avis.pdf\"]}]}."),
         {}},
        {"create",
         &RunCreate,
         TAVELO_TR_NOOP("Manual tavelo-cli", "create FICHIER.json LIVRE.tvo [--force] [--take-over]"),
         nullptr,
         TAVELO_TR_NOOP("Manual tavelo-cli", "Écrit un nouveau livre depuis un JSON de cette forme ; state, expected et documents peuvent "
                    "manquer (0, \"\" et []). Un livre existant n'est remplacé qu'avec --force, et jamais quand une "
                    "instance de Tavelo l'a ouvert en modification."),
         {"--force", "--take-over"}},
        {"search",
         &RunSearch,
         TAVELO_TR_NOOP("Manual tavelo-cli", "search LIVRE.tvo MOT [--scope names,expected,files,contents] [--whole-word] [--match-case] "
                                 "[--no-cache] [--readers=N] [--memory=Mio] [--time=SECONDES] [--ocr-time=SECONDES]"),
         TAVELO_TR_NOOP("Manual tavelo-cli", "search LIVRE.tvo MOT"),
         TAVELO_TR_NOOP("Manual tavelo-cli", "Cherche MOT dans les intitulés des sujets, les attendus, les noms et le contenu des documents "
                    "(texte, RTF, PDF, Word 97-2003, Excel 97-2003). Affiche les sujets trouvés dans l'ordre du "
                    "livre, un par ligne : titre général, tabulation, intitulé. Les documents qui n'ont pas pu être "
                    "lus sont signalés sur la sortie d'erreur."),
         {"--scope LISTE", "--whole-word", "--match-case", "--no-cache", "--readers=N", "--memory=Mio", "--time=SECONDES", "--ocr-time=SECONDES"}},
        {"find",
         &RunFind,
         TAVELO_TR_NOOP("Manual tavelo-cli", "find LIVRE.tvo REQUÊTE... [--json] [--limit N]"),
         TAVELO_TR_NOOP("Manual tavelo-cli", "find LIVRE.tvo REQUÊTE..."),
         TAVELO_TR_NOOP("Manual tavelo-cli", "La recherche rapide de la fenêtre : chaque mot de la requête, sans tenir compte des "
                                 "majuscules, des accents ni du pluriel, dans le document (son contenu, son nom) ou dans "
                                 "l'intitulé, le titre général et l'attendu de son sujet. \"une phrase\" cherche les mots "
                                 "côte à côte, -mot écarte, mot* cherche un début de mot, a OR b l'un ou l'autre ; un "
                                 "numéro de référence ou un IBAN se trouve avec ou sans ses espaces. Les documents que le "
                                 "cache des textes ne connaît pas encore sont lus d'abord. Écrit les meilleurs résultats "
                                 "d'abord, un par ligne : titre général/intitulé, tabulation, chemin du document (vide pour "
                                 "les champs du sujet lui-même), tabulation, extrait."),
         {"--json", "--limit N"}},
        {"suggest",
         &RunSuggest,
         TAVELO_TR_NOOP("Manual tavelo-cli", "suggest LIVRE.tvo FICHIER... [--json]"),
         nullptr,
         TAVELO_TR_NOOP("Manual tavelo-cli", "Propose pour chaque fichier jusqu'à trois sujets du livre où le ranger, appris des "
                                 "documents déjà rangés (leur texte, tel que le cache des textes le garde) et de "
                                 "l'intitulé, du titre général et de l'attendu de chaque sujet : un même numéro de "
                                 "contrat, de client ou de dossier compte le plus, puis les mots, l'année, un même IBAN, "
                                 "SIRET ou domaine d'adresse e-mail. Écrit une ligne par fichier : fichier, tabulation, premier choix (titre "
                                 "général/intitulé, ou « nouveau sujet » quand aucun sujet n'est assez sûr), tabulation, "
                                 "son score de 0 à 1 (celui du meilleur sujet pour « nouveau sujet »). Un fichier "
                                 "illisible est écrit « illisible », avec la raison sur la sortie d'erreur."),
         {"--json"}},
        {"add",
         &RunAdd,
         TAVELO_TR_NOOP("Manual tavelo-cli", "add LIVRE.tvo \"TITRE GÉNÉRAL/INTITULÉ\" FICHIER... [--create]"),
         nullptr,
         TAVELO_TR_NOOP("Manual tavelo-cli", "Ajoute les fichiers (chemins rendus absolus) au sujet, comme la commande Ajouter un "
                                 "document de la fenêtre, et enregistre le livre. Le sujet doit exister, sauf avec "
                                 "--create qui le crée (ouvert, à la fin du livre). Rien n'est ajouté quand un fichier "
                                 "manque ou est déjà dans le livre, ni quand une instance de Tavelo a le livre ouvert en "
                                 "modification. Écrit une ligne par document ajouté : titre général/intitulé, "
                                 "tabulation, chemin ; leur texte est lu et gardé dans le cache pour la recherche."),
         {"--create"}},
        {"inbox",
         &RunInbox,
         TAVELO_TR_NOOP("Manual tavelo-cli", "inbox LIVRE.tvo DOSSIER [--json]"),
         nullptr,
         TAVELO_TR_NOOP("Manual tavelo-cli", "Liste les fichiers de DOSSIER (sans ses sous-dossiers ni les fichiers cachés) que le "
                                 "livre ne contient pas encore, les plus récents d'abord, avec leurs suggestions, sous la "
                                 "forme de suggest."),
         {"--json"}},
        {"export",
         &RunExport,
         TAVELO_TR_NOOP("Manual tavelo-cli", "export LIVRE.tvo DOSSIER"),
         nullptr,
         TAVELO_TR_NOOP("Manual tavelo-cli", "Exporte le livre dans DOSSIER avec la copie de tous ses documents et le compte rendu "
                    "Compte_rendu.txt, comme la commande Exporter de la fenêtre."),
         {}},
        {"check",
         &RunCheck,
         TAVELO_TR_NOOP("Manual tavelo-cli", "check LIVRE.tvo"),
         nullptr,
         TAVELO_TR_NOOP("Manual tavelo-cli", "Liste les documents absents ou illisibles, un par ligne : titre général, intitulé et chemin, "
                    "séparés par des tabulations."),
         {}},
        {"cache",
         &RunCache,
         TAVELO_TR_NOOP("Manual tavelo-cli", "cache stats|clear"),
         nullptr,
         TAVELO_TR_NOOP("Manual tavelo-cli", "stats décrit le cache des textes des documents que garde la recherche (dans "
                                 "$XDG_CACHE_HOME/tavelo, par défaut ~/.cache/tavelo) ; clear le vide : les documents "
                                 "seront relus à la prochaine recherche."),
         {}},
        {"relink",
         &RunRelink,
         TAVELO_TR_NOOP("Manual tavelo-cli", "relink LIVRE.tvo DOSSIER [--dry-run] [--take-over]"),
         nullptr,
         TAVELO_TR_NOOP("Manual tavelo-cli", "Cherche dans DOSSIER et ses sous-dossiers les documents absents du livre : même nom "
                                 "(et même taille quand elle est connue), ou même contenu pour un document renommé que "
                                 "la recherche avait lu. Re-pointe ceux pour lesquels un seul fichier convient et écrit "
                                 "pour chacun le titre général, l'intitulé, l'ancien et le nouveau chemin, séparés par "
                                 "des tabulations ; les autres sont signalés sur la sortie d'erreur. Un livre ouvert en "
                                 "modification par une instance de Tavelo n'est pas modifié."),
         {"--dry-run", "--take-over"}},
        {"holder",
         &RunHolder,
         TAVELO_TR_NOOP("Manual tavelo-cli", "holder LIVRE.tvo [--json]"),
         nullptr,
         TAVELO_TR_NOOP("Manual tavelo-cli", "Dit qui a le livre ouvert en modification (utilisateur, poste, processus), depuis quand "
                                 "et depuis combien de temps il n'a pas donné signe de vie, ou que le livre est libre. "
                                 "Le fichier de réservation est lu même quand son verrou est libre (montage sshfs, "
                                 "dossier synchronisé). Avec --json, une ligne JSON dont le champ state vaut free, "
                                 "held, silent (détenteur sur un autre poste, muet depuis 3 minutes) ou gone."),
         {}},
        {"conflicts",
         &RunConflicts,
         TAVELO_TR_NOOP("Manual tavelo-cli", "conflicts LIVRE.tvo"),
         nullptr,
         TAVELO_TR_NOOP("Manual tavelo-cli", "Liste les copies en conflit que les clients de synchronisation ont laissées à côté "
                                 "du livre (Nextcloud, ownCloud, Syncthing, Dropbox, OneDrive), une par ligne : chemin, "
                                 "client et « lisible » ou la raison pour laquelle ce n'est pas un livre lisible."),
         {}},
        {"merge-copy",
         &RunMergeCopy,
         TAVELO_TR_NOOP("Manual tavelo-cli", "merge-copy LIVRE.tvo COPIE.tvo [--base BASE.tvo] [--dry-run]"),
         nullptr,
         TAVELO_TR_NOOP("Manual tavelo-cli", "Fusionne une copie en conflit dans le livre, sujet par sujet (titre général et "
                                 "intitulé) : à trois quand la version commune est connue (--base, ou celle que Tavelo a "
                                 "gardée dans son cache), à deux sinon. Écrit chaque changement : côté (livre, copie, "
                                 "les deux), changement, titre général et intitulé, séparés par des tabulations. Le "
                                 "livre fusionné est enregistré, puis la copie va à la corbeille. Code de sortie 3, "
                                 "sans rien écrire, quand des sujets ont été modifiés des deux côtés (sauf avec "
                                 "--dry-run, qui n'écrit jamais rien)."),
         {"--base BASE.tvo", "--dry-run"}},
        {"scan",
         &RunScanProgram,
         TAVELO_TR_NOOP("Manual tavelo-cli", "scan --device SCANNER FICHIER.pdf [--source SOURCE] [--resolution N] [--mode MODE] "
                                 "[--keep-blank] | scan --list [--device SCANNER]"),
         TAVELO_TR_NOOP("Manual tavelo-cli", "scan --device SCANNER FICHIER.pdf"),
         TAVELO_TR_NOOP("Manual tavelo-cli", "Numérise avec SANE dans un nouveau PDF où l'on peut chercher : une page depuis "
                                 "la vitre, ou toutes les pages du chargeur jusqu'à ce qu'il soit vide ; les pages "
                                 "blanches sont écartées, le texte de chaque page est reconnu (français et anglais) et "
                                 "posé sous son image. Un bourrage, un capot ouvert ou un scanner qui ne répond plus "
                                 "arrêtent la numérisation avec un message, et les pages déjà numérisées sont écrites "
                                 "(code de sortie 1), comme après Ctrl-C. Un fichier existant n'est jamais remplacé. "
                                 "Avec --list, écrit les scanners trouvés (nom, modèle, type, séparés par des "
                                 "tabulations), ou avec --device ce que le scanner propose."),
         {"--device SCANNER", "--source SOURCE", "--resolution N", "--mode MODE", "--keep-blank", "--list"}},
        {"help",
         nullptr,
         TAVELO_TR_NOOP("Manual tavelo-cli", "help [COMMANDE]"),
         nullptr,
         TAVELO_TR_NOOP("Manual tavelo-cli", "Affiche l'aide de COMMANDE (comme « tavelo-cli COMMANDE --help »), ou sans "
                        "COMMANDE toute cette aide."),
         {}},
    };
    return commands;
}

const CliCommand* FindCliCommand(std::string_view name)
{
    for (const CliCommand& command : CliCommands())
        if (name == command.name)
            return &command;
    return nullptr;
}

const Manual& CliManual()
{
    static const Manual manual = [] {
        std::vector<const char*> synopsis;
        std::vector<ManualEntry> commands;
        for (const CliCommand& command : CliCommands()) {
            synopsis.push_back(command.synopsis);
            commands.push_back({command.term != nullptr ? command.term : command.synopsis, command.text});
        }
        synopsis.push_back(TAVELO_TR_NOOP("Manual tavelo-cli", "--help | --version"));
        return Manual{
        "Manual tavelo-cli",
        "tavelo-cli",
        TAVELO_TR_NOOP("Manual tavelo-cli", "lit, écrit, cherche et exporte les livres Tavelo sans fenêtre"),
        std::move(synopsis),
        {
            {TAVELO_TR_NOOP("Manual tavelo-cli", "DESCRIPTION"),
             {TAVELO_TR_NOOP("Manual tavelo-cli", "tavelo-cli sert les scripts et les sauvegardes : il lit et écrit les livres de Tavelo (fichiers "
                ".tvo), y cherche un mot comme la fenêtre le fait, exporte un livre avec la copie de ses documents "
                "et vérifie que ses documents existent. Il n'ouvre aucune fenêtre."),
              TAVELO_TR_NOOP("Manual tavelo-cli", "Un livre ouvert en modification par une instance de Tavelo reste lisible ; tavelo-cli ne le "
                "remplace jamais.")},
             {}},
            {TAVELO_TR_NOOP("Manual tavelo-cli", "COMMANDES"), {}, std::move(commands)},
            {TAVELO_TR_NOOP("Manual tavelo-cli", "OPTIONS"),
             {},
             {
                 {TAVELO_TR_NOOP("Manual tavelo-cli", "--scope LISTE"),
                  TAVELO_TR_NOOP("Manual tavelo-cli", "Pour search : où chercher, parmi names (intitulés), expected (attendus), files (noms des "
                    "documents) et contents (contenu des documents), séparés par des virgules. Par défaut, partout.")},
                 {TAVELO_TR_NOOP("Manual tavelo-cli", "--whole-word"), TAVELO_TR_NOOP("Manual tavelo-cli", "Pour search : le mot entier seulement.")},
                 {TAVELO_TR_NOOP("Manual tavelo-cli", "--match-case"), TAVELO_TR_NOOP("Manual tavelo-cli", "Pour search : respecte les majuscules et les minuscules.")},
                 {TAVELO_TR_NOOP("Manual tavelo-cli", "--no-cache"), TAVELO_TR_NOOP("Manual tavelo-cli", "Pour search : lit chaque document sans passer par le cache des textes.")},
                 {TAVELO_TR_NOOP("Manual tavelo-cli", "--readers=N"),
                  TAVELO_TR_NOOP("Manual tavelo-cli", "Pour search : le nombre de programmes de lecture qui travaillent ensemble (par défaut, "
                                 "un par processeur).")},
                 {TAVELO_TR_NOOP("Manual tavelo-cli", "--memory=Mio"),
                  TAVELO_TR_NOOP("Manual tavelo-cli", "Pour search : la mémoire que peut prendre un programme de lecture (512 Mio par défaut).")},
                 {TAVELO_TR_NOOP("Manual tavelo-cli", "--time=SECONDES"),
                  TAVELO_TR_NOOP("Manual tavelo-cli", "Pour search : le temps que peut prendre la lecture d'un document (20 secondes par défaut).")},
                 {TAVELO_TR_NOOP("Manual tavelo-cli", "--ocr-time=SECONDES"),
                  TAVELO_TR_NOOP("Manual tavelo-cli", "Pour search : le temps que peut prendre la reconnaissance du texte d'une page numérisée "
                                 "(60 secondes par défaut).")},
                 {TAVELO_TR_NOOP("Manual tavelo-cli", "--json"),
                  TAVELO_TR_NOOP("Manual tavelo-cli", "Pour find : un tableau JSON d'objets general_title, subject, document (null pour les "
                                 "champs du sujet), where (parmi name, general_title, expected, file_name, contents), hits "
                                 "et extract. Pour suggest et inbox : un tableau JSON d'objets file, new_subject et "
                                 "suggestions (au plus trois objets general_title, subject, score et reason), ou file et "
                                 "unreadable (la raison) pour un fichier illisible.")},
                 {TAVELO_TR_NOOP("Manual tavelo-cli", "--limit N"), TAVELO_TR_NOOP("Manual tavelo-cli", "Pour find : les N meilleurs résultats seulement.")},
                 {TAVELO_TR_NOOP("Manual tavelo-cli", "--force"), TAVELO_TR_NOOP("Manual tavelo-cli", "Pour create : remplace un livre existant.")},
                 {TAVELO_TR_NOOP("Manual tavelo-cli", "--create"),
                  TAVELO_TR_NOOP("Manual tavelo-cli", "Pour add : crée le sujet quand le livre ne l'a pas.")},
                 {TAVELO_TR_NOOP("Manual tavelo-cli", "--take-over"),
                  TAVELO_TR_NOOP("Manual tavelo-cli", "Pour create et relink : reprend un livre dont le détenteur, sur un autre poste, ne "
                                 "donne plus signe de vie depuis 3 minutes. Un détenteur vivant n'est jamais dépossédé.")},
                 {TAVELO_TR_NOOP("Manual tavelo-cli", "--dry-run"),
                  TAVELO_TR_NOOP("Manual tavelo-cli", "Pour relink : écrit ce qui serait re-pointé, sans toucher au livre. Pour "
                                 "merge-copy : écrit les changements, sans rien enregistrer.")},
                 {TAVELO_TR_NOOP("Manual tavelo-cli", "--base BASE.tvo"),
                  TAVELO_TR_NOOP("Manual tavelo-cli", "Pour merge-copy : la version commune du livre et de la copie.")},
                 {TAVELO_TR_NOOP("Manual tavelo-cli", "--device SCANNER"),
                  TAVELO_TR_NOOP("Manual tavelo-cli", "Pour scan : le scanner, sous le nom que donne scan --list (test:0, "
                                 "airscan:e0:...).")},
                 {TAVELO_TR_NOOP("Manual tavelo-cli", "--source SOURCE"),
                  TAVELO_TR_NOOP("Manual tavelo-cli", "Pour scan : la vitre ou le chargeur (recto, recto verso), sous le nom "
                                 "que leur donne le scanner. Par défaut, celle qu'il a choisie.")},
                 {TAVELO_TR_NOOP("Manual tavelo-cli", "--resolution N"),
                  TAVELO_TR_NOOP("Manual tavelo-cli", "Pour scan : la résolution en points par pouce (300 par défaut quand le "
                                 "scanner la propose).")},
                 {TAVELO_TR_NOOP("Manual tavelo-cli", "--mode MODE"),
                  TAVELO_TR_NOOP("Manual tavelo-cli", "Pour scan : le mode de couleur (Lineart, Gray, Color...), sous le nom "
                                 "que lui donne le scanner.")},
                 {TAVELO_TR_NOOP("Manual tavelo-cli", "--keep-blank"),
                  TAVELO_TR_NOOP("Manual tavelo-cli", "Pour scan : garde aussi les pages blanches.")},
                 {TAVELO_TR_NOOP("Manual tavelo-cli", "--list"),
                  TAVELO_TR_NOOP("Manual tavelo-cli", "Pour scan : liste les scanners, ou ce que propose celui de --device.")},
                 {TAVELO_TR_NOOP("Manual tavelo-cli", "--help"), TAVELO_TR_NOOP("Manual tavelo-cli", "Affiche cette aide et s'arrête.")},
                 {TAVELO_TR_NOOP("Manual tavelo-cli", "--version"), TAVELO_TR_NOOP("Manual tavelo-cli", "Affiche la version et s'arrête.")},
             }},
            {TAVELO_TR_NOOP("Manual tavelo-cli", "CODE DE SORTIE"),
             {TAVELO_TR_NOOP("Manual tavelo-cli", "0 quand la commande a réussi (search : au moins un sujet trouvé ; export : tous les documents "
                "copiés ; check : aucun document absent ou illisible ; relink : tous les documents absents retrouvés ; suggest et inbox : tous les fichiers lus). 1 sinon, ou en cas d'erreur ; pour search et find, 1 "
                "quand rien n'est trouvé et 2 sur une entrée incorrecte ; pour merge-copy, 3 quand la fusion demande votre avis "
                "(sujets modifiés des deux côtés). En cas d'erreur, un message est écrit sur "
                "la sortie d'erreur et aucun fichier n'est écrit.")},
             {}},
            {TAVELO_TR_NOOP("Manual tavelo-cli", "ENVIRONNEMENT"),
             {TAVELO_TR_NOOP("Manual tavelo-cli", "LANGUAGE, LC_ALL, LC_MESSAGES, LANG : la langue des messages. Les messages sont en anglais pour "
                "une langue anglaise (en), en français sinon.")},
             {}},
            {TAVELO_TR_NOOP("Manual tavelo-cli", "VOIR AUSSI"), {TAVELO_TR_NOOP("Manual tavelo-cli", "tavelo(1)")}, {}},
        },
        };
    }();
    return manual;
}

std::string CommandUsage(std::string_view command)
{
    const Manual& manual = CliManual();
    if (const CliCommand* found = FindCliCommand(command))
        return Tr("Manual", "Usage :") + " " + manual.program + " " + Tr(manual.context, found->synopsis) + "\n";
    return UsageText(manual);
}

std::string CommandHelp(const CliCommand& command)
{
    const Manual& manual = CliManual();
    std::string help = CommandUsage(command.name) + "\n" + EntryHelp(manual, {nullptr, command.text});
    bool titled = false;
    for (const ManualSection& section : manual.sections) {
        for (const ManualEntry& entry : section.entries) {
            for (const char* option : command.options) {
                if (std::string_view(entry.term) != option)
                    continue;
                if (!titled)
                    help += "\n" + Tr(manual.context, section.title) + "\n";
                titled = true;
                help += EntryHelp(manual, entry);
            }
        }
    }
    return help;
}

} // namespace tavelo::cli
