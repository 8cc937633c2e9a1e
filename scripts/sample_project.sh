# Sourced by the screenshot scripts: a small Visual Basic project in
# Italian to search, the same in every picture.
#   sample_project BASE   writes it under BASE/Lavori and prints that path
sample_project() {
  local project="$1/Lavori"
  mkdir -p "$project/Gestionale/Moduli" "$project/Gestionale/Maschere" "$project/Magazzino" "$project/Documenti"
  write() { mkdir -p "$(dirname "$1")"; printf '%s\n' "$2" >"$1"; }
  write "$project/Gestionale/Gestionale.vbp" "Form=Maschere\\frmClienti.frm"
  write "$project/Gestionale/Moduli/Clienti.bas" "Public Function CercaCliente(Codice As String) As Boolean"
  write "$project/Gestionale/Moduli/Fatture.bas" "' Totale della fattura per il cliente"
  write "$project/Gestionale/Moduli/Utilità.bas" "Public Sub Attendi()"
  write "$project/Gestionale/Maschere/frmClienti.frm" "Caption = \"Anagrafica CLIENTI\""
  write "$project/Gestionale/Maschere/frmOrdini.frm" "Caption = \"Ordini del cliente\""
  write "$project/Gestionale/Maschere/frmAvvio.frm" "Caption = \"Avvio\""
  write "$project/Gestionale/Classi/Cliente.cls" "Private mCodiceCliente As String"
  write "$project/Magazzino/Articoli.cls" "Private mGiacenza As Long"
  write "$project/Magazzino/Scorte.bas" "' Riordino per cliente e fornitore"
  write "$project/Documenti/Note riunione.txt" "Chiamare il cliente Rossi per l'offerta."
  write "$project/Documenti/Elenco clienti.txt" "Bianchi, Rossi, Verdi"
  write "$project/Documenti/Leggimi.txt" "Istruzioni di installazione."
  printf '%s' "$project"
}
