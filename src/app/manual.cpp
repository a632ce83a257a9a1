#include "app/manual.h"

#include "base/tr.h"

namespace tavelo::gui {

const Manual& AppManual()
{
    static const Manual manual{
        "Manual tavelo",
        "tavelo",
        TAVELO_TR_NOOP("Manual tavelo", "registre des papiers personnels classés par sujet"),
        {
            TAVELO_TR_NOOP("Manual tavelo", "[LIVRE.tvo]"),
            TAVELO_TR_NOOP("Manual tavelo", "--exemple"),
            TAVELO_TR_NOOP("Manual tavelo", "--help | --version"),
        },
        {
            {TAVELO_TR_NOOP("Manual tavelo", "DESCRIPTION"),
             {TAVELO_TR_NOOP("Manual tavelo",
                             "Tavelo range les papiers personnels par sujet : chaque facture, avis d'impôt ou "
                             "courrier d'une même affaire est rangé sous un sujet, les sujets sont groupés sous des "
                             "titres généraux, marqués ouverts ou clos, avec ce qui est encore attendu et les chemins "
                             "des documents. Un registre est un livre, un fichier .tvo."),
              TAVELO_TR_NOOP("Manual tavelo",
                             "Sans argument, Tavelo ouvre un livre vide. Avec le chemin d'un livre, il l'ouvre ; s'il "
                             "ne peut pas être ouvert, un message l'explique et le programme s'arrête. Chaque livre "
                             "s'affiche en trois volets : l'arbre des sujets, l'aperçu et la liste des documents."),
              TAVELO_TR_NOOP("Manual tavelo",
                             "Le premier programme qui ouvre un livre le réserve pour la modification ; les autres "
                             "l'ouvrent en lecture seule et peuvent demander à être avertis quand il se libère.")},
             {}},
            {TAVELO_TR_NOOP("Manual tavelo", "OPTIONS"),
             {},
             {
                 {TAVELO_TR_NOOP("Manual tavelo", "--exemple"),
                  TAVELO_TR_NOOP("Manual tavelo",
                                 "Ouvre un petit livre d'exemple, avec ses documents, dans un dossier temporaire : "
                                 "le menu ? l'ouvre aussi.")},
                 {TAVELO_TR_NOOP("Manual tavelo", "--help"),
                  TAVELO_TR_NOOP("Manual tavelo", "Affiche cette aide et s'arrête.")},
                 {TAVELO_TR_NOOP("Manual tavelo", "--version"),
                  TAVELO_TR_NOOP("Manual tavelo", "Affiche la version et s'arrête.")},
             }},
            {TAVELO_TR_NOOP("Manual tavelo", "FICHIERS"),
             {},
             {
                 {TAVELO_TR_NOOP("Manual tavelo", "~/.config/Morv/Tavelo.conf"),
                  TAVELO_TR_NOOP("Manual tavelo", "Les quatre derniers livres ouverts.")},
                 {TAVELO_TR_NOOP("Manual tavelo", ".LIVRE.tvo.lock"),
                  TAVELO_TR_NOOP("Manual tavelo",
                                 "Fichier caché à côté de chaque livre ouvert : la réservation entre les instances "
                                 "de Tavelo.")},
             }},
            {TAVELO_TR_NOOP("Manual tavelo", "ENVIRONNEMENT"),
             {TAVELO_TR_NOOP("Manual tavelo",
                             "LANGUAGE, LC_ALL, LC_MESSAGES, LANG : la langue de l'interface. Elle est en anglais "
                             "pour une langue anglaise (en), en français sinon.")},
             {}},
            {TAVELO_TR_NOOP("Manual tavelo", "VOIR AUSSI"), {TAVELO_TR_NOOP("Manual tavelo", "tavelo-cli(1)")}, {}},
        },
    };
    return manual;
}

} // namespace tavelo::gui
