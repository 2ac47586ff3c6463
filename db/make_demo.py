#!/usr/bin/env python3
"""Writes db/demo.sql: the billing database of a demo law office.

A Lisbon law firm with a Porto branch, its customers, fee types, VAT and
stamp-duty tables, and two years (2025-01-01 .. 2026-11-30) of invoices,
invoice-receipts, simplified invoices, advance invoices, debit and credit
notes, quotations and receipts. Deterministic (fixed seed): running it again
gives the same file. The build and the tests only need the generated file.

    python3 db/make_demo.py > db/demo.sql
"""

import base64
import datetime as dt
import random
import sys
from decimal import ROUND_HALF_UP, Decimal
from fractions import Fraction

rng = random.Random(20250101)
CENT = Decimal("0.01")
FIRST_DAY = dt.date(2025, 1, 1)
LAST_DAY = dt.date(2026, 11, 30)
# Stamp duty on quotation lines only from this year on (see README: a
# quotation line with stamp duty carries a second "Tax", which the
# authority's schema does not allow, so the 2025 demo file keeps none).
STAMP_FROM_YEAR = 2026


def r2(x):
    return Decimal(x).quantize(CENT, rounding=ROUND_HALF_UP)


def nif(prefix8):
    """A Portuguese tax number: eight digits and the mod-11 check digit."""
    total = sum(int(d) * (9 - i) for i, d in enumerate(prefix8))
    check = 11 - total % 11
    return prefix8 + str(0 if check >= 10 else check)


def nif_valid(text):
    digits = text.replace(" ", "")
    return len(digits) == 9 and digits.isdigit() and nif(digits[:8]) == digits


def spaced(n):
    return f"{n[0:3]} {n[3:6]} {n[6:9]}"


OFFICE_NIF = nif("51384720")
WALKIN = "0"

# ---------------------------------------------------------------------------
# Exemption reasons. Codes of the tax authority's table; the first block is
# the table in force since 2023, the second the older texts, kept because
# older documents of an office still carry them.
REASONS_NEW = [
    ("M01", "Artigo 16.º, n.º 6 do CIVA - Artigo 16.º, n.º 6, alíneas a) a d) do CIVA"),
    ("M02", "Artigo 6.º do Decreto-Lei n.º 198/90, de 19 de junho"),
    ("M04", "Isento artigo 13.º do CIVA"),
    ("M05", "Isento artigo 14.º do CIVA"),
    ("M06", "Isento Artigo 15.º do CIVA"),
    ("M07", "Isento Artigo 9.º do CIVA"),
    ("M09", "IVA - não confere direito a dedução - Artigo 62.º alínea b) do CIVA"),
    ("M10", "IVA - regime de isenção - Artigo 57.º do CIVA"),
    ("M11", "Regime particular do tabaco"),
    ("M12", "Regime da margem de lucro - Agências de viagens"),
    ("M13", "Regime da margem de lucro - Bens em segunda mão"),
    ("M14", "Regime da margem de lucro - Objetos de arte"),
    ("M15", "Regime da margem de lucro - Objetos de coleção e antiguidades"),
    ("M16", "Isento Artigo 14.º do RITI"),
    ("M19", "Outras isenções - Isenções temporárias determinadas em diploma próprio"),
    ("M20", "IVA - Regime forefetário"),
    ("M21", "IVA - não confere direito à dedução (ou expressão similar) - Artigo 72.º n.º 4 do CIVA"),
    ("M26", "Isenção de IVA com direito à dedução no cabaz alimentar - Lei n.º 17/2023, de 14 de abril"),
    ("M30", "IVA - autoliquidação - Artigo 2.º n.º 1 alínea i) do CIVA"),
    ("M31", "IVA - autoliquidação - Artigo 2.º n.º 1 alínea j) do CIVA"),
    ("M32", "IVA - autoliquidação - Artigo 2.º n.º 1 alínea l) do CIVA"),
    ("M33", "IVA - autoliquidação - Artigo 2.º n.º 1 alínea m) do CIVA"),
    ("M34", "Iva - autoliquidação - Artigo 2.º n.º 1 alínea n) do CIVA"),
    ("M40", "IVA - autoliquidação - Artigo 6.º n.º 6 alínea a) do CIVA, a contrário"),
    ("M41", "IVA - autoliquidação - Artigo 8.º n.º 3 do RITI"),
    ("M42", "IVA - autoliquidação - Decreto-Lei n.º 21/2007, de 29 de janeiro"),
    ("M43", "IVA - autoliquidação - Decreto-Lei n.º 362/99, de 16 de setembro"),
    ("M99", "Não sujeito ou não tributado - Outras situações de não liquidação do imposto"),
    ("M99", "Não sujeito ou não tributado - Outras situações de não liquidação do imposto "
            "(Ex: artigo 2.º, n.º 2  artigo 3.º, n.ºs 4, 6 e 7 artigo 4.º, n.º 5, todos do CIVA)"),
]
REASONS_OLD = [
    ("M01", "Artigo 16.º n.º 6 do CIVA (ou similar)"),
    ("M02", "Artigo 6.º do Decreto-Lei n.º 198/90, de 19 de Junho"),
    ("M03", "Exigibilidade de caixa"),
    ("M04", "Isento Artigo 13.º do CIVA (ou similar)"),
    ("M05", "Isento Artigo 14.º do CIVA (ou similar)"),
    ("M06", "Isento Artigo 15.º do CIVA (ou similar)"),
    ("M07", "Isento Artigo 9.º do CIVA (ou similar)"),
    ("M08", "IVA - autoliquidação"),
    ("M09", "IVA - não confere direito a dedução"),
    ("M10", "IVA - Regime de isenção"),
    ("M16", "Isento Artigo 14.º do RITI (ou similar)"),
    ("M99", "Não sujeito; não tributado (ou similar)"),
]
REASON = dict((code, text) for code, text in REASONS_NEW[:28])
# Texts the office types with other capitals or a trailing blank.
REASON_M07_TYPED = "isento ARTIGO 9.º do civa "
REASON_M99_LONG = REASONS_NEW[28][1]

# ---------------------------------------------------------------------------
# Fee types: reference, description, category, usual price, VAT kind.
# VAT kind: "fee" follows the customer (23 %, 16 % in the Azores, exempt
# abroad), "desp" are expenses paid in the customer's name (not taxed), "form"
# training (exempt), or a fixed rate.
FEES = [
    ("AVENCA", "Avença mensal de assessoria jurídica", "S", "600.00", "fee"),
    ("CONS", "Consulta jurídica", "S", "90.00", "fee"),
    ("CONS", "Consulta jurídica presencial ou por videoconferência", "S", "90.00", "fee"),
    ("CONTR", "Elaboração e revisão de contratos", "S", "450.00", "fee"),
    ("DESLOC", "Deslocações (por quilómetro)", "S", "0.40", "fee"),
    ("DESP", "Despesas", "S", "0.00", "desp"),
    ("FORM", "Ação de formação jurídica", "S", "750.00", "form"),
    ("HON", "Honorários", "S", "150.00", "fee"),
    ("PAR", "Parecer jurídico", "S", "1500.00", "fee"),
    ("PARECER_URGENTE_PRAZO_48_HORAS_UTEIS", "Parecer jurídico urgente (prazo de 48 horas úteis)",
     "S", "2500.00", "fee"),
    ("PUB", "Publicações jurídicas", "P", "35.00", "6"),
    ("RECON", "Reconhecimento de assinaturas e autenticação de documentos", "", "25.00", "fee"),
    ("SEMIN", "Serviço de refeições em seminário", "S", "18.50", "13"),
    ("TRAD", "Tradução certificada de documentos", None, "60.00", "fee"),
]
FEE_REFS = {"AVENCA", "CONS", "CONTR", "HON", "PAR", "PARECER_URGENTE_PRAZO_48_HORAS_UTEIS"}

STAMPS = [
    ("17.3.4", "Verba 17.3.4 - Outras comissões e contraprestações por serviços financeiros",
     "Percentagem", "4.00"),
    ("15.7", "Verba 15.7 - Procurações e substabelecimentos", "Valor", "5.00"),
]

# ---------------------------------------------------------------------------
# Customers. kind: pt (person or company in mainland Portugal), az (Azores),
# eu (business in another EU country), noneu (outside the EU), walkin.
# company: withholds income tax on fees (organised accounting in Portugal).


class Customer:
    def __init__(self, code, name, nif_text, morada, codpostal, localidade, pais, kind,
                 company=False, phone=None, fax=None, email=None, utf8_name=None,
                 utf8_morada=None, weight=1.0, only=None):
        self.code, self.name, self.nif = code, name, nif_text
        self.morada, self.codpostal, self.localidade = morada, codpostal, localidade
        self.pais, self.kind, self.company = pais, kind, company
        self.phone, self.fax, self.email = phone, fax, email
        self.utf8_name, self.utf8_morada = utf8_name, utf8_morada
        self.weight, self.only = weight, only


def pnif(first):
    return nif(first + "".join(str(rng.randrange(10)) for _ in range(7)))


SHARED_NIF = pnif("2")
CUSTOMERS = [
    Customer(WALKIN, "Consumidor final", "999999990", None, None, None, "", "walkin"),
    Customer("0001", "Maria da Conceição Ferreira", spaced(pnif("2")),
             "Rua dos Fanqueiros, 112 - 3.º Dto.", "1100-232", "Lisboa", "", "pt",
             phone="+351 912 345 678", email="mconceicao.ferreira@example.pt"),
    Customer("0002", "João Pedro D'Almeida Santos", pnif("1"), "Avenida de Roma, 45 - 7.º Esq.",
             "1700-342 Lisboa", "Lisboa", "Portugal", "pt", phone="217 934 210"),
    Customer("0003", "Construções Ribeiro & Filhos, Lda.", pnif("5"),
             "Estrada Nacional 8, Armazém 4", "2670-345", "Loures", "Portugal", "pt",
             company=True, phone="219 823 400", fax="219 823 401",
             email="geral@construcoesribeiro.example.pt", weight=2.0),
    Customer("0004", "Farmácia Estrela do Norte, Unipessoal Lda.", spaced(pnif("5")),
             "Rua de Santa Catarina, 310", "4000-443", "Porto", "", "pt", company=True,
             phone="222 003 119"),
    Customer("0005", "Associação Portuguesa de Proprietários e Administradores de "
             "Condomínios do Norte", pnif("5"), "Praça da República, 18 - 1.º", "4050-497 Porto",
             "Porto", "Portugal", "pt", company=True, phone="223 390 882"),
    Customer("0006", "Hotel Miradouro de Sintra, S.A.", pnif("5"),
             "Rua Barbosa du Bocage, 7", "2710-517", "Sintra", "", "pt", company=True,
             phone="219 106 300", email="direcao@hotelmiradouro.example.pt"),
    Customer("0007", "António Manuel Gonçalves", "", "Rua da Boavista, 22 - r/c",
             "1200-066", "Lisboa", "", "pt"),
    Customer("0008", "Ana Rita Sousa Pereira", "0", "Travessa do Carvalho, 9", "1200-097",
             "Lisboa", "", "pt", phone="936 221 004"),
    Customer("0009", "Transportes Atlântico Azul, Lda.", pnif("5"),
             "Avenida Infante D. Henrique, 71", "9500-150", "Ponta Delgada", "Portugal", "az",
             company=True, phone="296 284 100", weight=1.5),
    Customer("0010", "Pescas da Graciosa, Lda.", pnif("5"), "Rua do Porto, 3",
             "9880-352 Santa Cruz da Graciosa", "Santa Cruz da Graciosa", "", "az",
             company=True),
    Customer("0011", "Sofia Martins Lopes", SHARED_NIF, "Rua Morais Soares, 88 - 2.º",
             "1900-343", "Lisboa", "", "pt"),
    Customer("0012", "Sofia Lopes", spaced(SHARED_NIF), "Rua Morais Soares, 88 - 2.º",
             "1900 - 343", "Lisboa", "", "pt"),
    Customer("0013", "Inmobiliaria Castellana, S.L.", "ESB86543210",
             "Calle de Serrano, 41 - 4.º", "28001 Madrid", "Madrid", "Espanha", "eu",
             phone="+34 915 776 200"),
    Customer("0014", "Société Générale de Conseil SARL", "FR40123456789",
             "12, rue du Faubourg Saint-Honoré", "75008 Paris", "Paris", "France", "eu"),
    Customer("0015", "Müller & Schmidt GmbH", "DE812345678", "Friedrichstraße 123",
             "10117 Berlin", "Berlin", "Alemanha", "eu", email="office@mueller-schmidt.example.de"),
    Customer("0016", "Thames Legal Services Ltd", "GB123456789", "221 Fleet Street",
             "EC4A 2AB London", "London", "United Kingdom", "noneu",
             phone="+44 20 7946 0958 (ext. 12)"),
    Customer("0017", "Construtora Paulista Ltda.", "12.345.678/0001-90",
             "Avenida Paulista, 1578 - 12.º andar", "01310-200 São Paulo", "São Paulo", "Brasil",
             "noneu"),
    Customer("0018", "Lukasz Nowak", "PL5260001246", "ul. Marszalkowska 84/92",
             "00-514 Warszawa", "Warszawa", "Polónia", "pt",
             utf8_name="Łukasz Nowak", utf8_morada="ul. Marszałkowska 84/92"),
    Customer("0019", "Tomás Dvorák", None, "Václavské námestí 1", "110 00 Praha",
             "Praha", "República Tcheca", "pt", utf8_name="Tomáš Dvořák",
             utf8_morada="Václavské náměstí 1"),
    Customer("0020", "Kwanza Investimentos, S.A.", "5417000123",
             "Rua Major Kanhangulo, 100", "", "Luanda", "Angola", "noneu"),
    Customer("0021", "Carlos Alberto Mendes", pnif("1"), "Rua Dr. António Granjo, 14",
             "4400-040", "Vila Nova de Gaia", "portugal", "pt"),
    Customer("0022", "Manuel Joaquim Rodrigues", pnif("1"), "Largo do Chafariz, 2",
             "2640-450 Mafra", "Mafra", "Portugal", "pt", phone="261 815 002"),
    Customer("0023", "Beatriz Simões Cardoso", "999999990", "Rua de Cedofeita, 501",
             "4050-181", "Porto", None, "pt"),
    Customer("0024", "Tecnologias Tejo Digital, S.A.", pnif("5"),
             "Avenida D. João II, 44C - Edifício Atlantis", "1990-095", "Lisboa", "", "pt",
             company=True, phone="218 947 500", email="financeiro@tejodigital.example.pt",
             weight=2.0),
    Customer("0025", "Clínica Dentária Sorriso Feliz, Lda.", pnif("5"),
             "Rua Alexandre Herculano, 23", "3000-019", "Coimbra", "", "pt", company=True),
    Customer("0026", "Condomínio do Edifício Jardins da Estrela", nif("9012" + "4511"),
             "Rua Saraiva de Carvalho, 201", "1350-300", "Lisboa", "", "pt"),
    Customer("0027", "Fundação Amigos da Música Antiga", pnif("5"), "Rua de São Bento, 334",
             "1200-822", "Lisboa", "", "pt", company=True),
    Customer("0028", "Rui Miguel Teixeira", pnif("2"), "Rua 5 de Outubro, 17", "4700-321",
             "Braga", "", "pt", phone="+351 912 345 678 / 253 001 002"),
    Customer("0029", "Helena Isabel Carvalho Nunes", pnif("2"), "Avenida Sá da Bandeira, 90",
             "3000-351", "Coimbra", "", "pt"),
    Customer("0030", "Pedro Henrique Costa Nascimento", None,
             "Rua Visconde de Pirajá, 330 - apto. 1201", "22410-002 Rio de Janeiro",
             "Rio de Janeiro", "Brasil", "noneu"),
    Customer("0031", "Vinhos do Douro Superior, S.A.", pnif("5"), "Quinta da Ribeira, Lugar de Covelinhas",
             "5050-095", "Peso da Régua", "Portugal", "pt", company=True, weight=1.5),
    Customer("0032", "Restaurante O Cantinho d'Alfama, Lda.", pnif("5"),
             "Rua de São Miguel, 5", "1100-544", "Lisboa", "", "pt", company=True),
    Customer("0033", "Marta Filipa Oliveira", pnif("2"), "Rua do Alecrim, 40 - 4.º",
             "1200-018", "Lisboa", "", "pt", phone="   "),
    Customer("0034", "Oficina Auto Moderna, Lda.", pnif("5"), "Zona Industrial, Lote 12",
             "2695-003", "Bobadela", "", "pt", company=True),
    Customer("0035", "Inês Margarida Sá", pnif("2"), "Rua Garrett, 60", "1200-204", "Lisboa",
             "", "pt", only="tmp"),
    Customer("0036", "Luís Filipe Vieira Campos", pnif("1"), "Avenida da Boavista, 1200",
             "4100-130", "Porto", "", "pt", only=2026),
    Customer("0037", "British-Portuguese Chamber of Commerce", "GB987654321",
             "4 Lower Belgrave Street", "SW1W 0LJ London", "London",
             "Grã-Bretanha (Reino Unido, UK)", "noneu"),
    Customer("0038", "Maria Luísa Fontes", None, "Avenida Amílcar Cabral, 12", "7600 Praia",
             "Praia", "Cabo Verde", "noneu"),
    Customer("0039", "Imobiliária Baixa Pombalina, Lda.", pnif("5"), "Rua Augusta, 250 - 2.º",
             "1100-056", "Lisboa", "Portugal", "pt", company=True, weight=1.5),
    Customer("0040", "Jorge Miguel Antunes", pnif("1"), "Rue du Rhône, 48", "1204 Genève",
             "Genève", "Suíça", "noneu"),
    Customer("0041", "Gabinete de Contabilidade Rigor, Lda.", pnif("5"),
             "Rua Direita, 77", "2500-120", "Caldas da Rainha", "", "pt", company=True),
    Customer("0042", "Francisca Rocha Lima", pnif("2"), "Rua das Flores, 15", "4050-265",
             "Porto", "", "pt", only="OR"),
]
BY_CODE = {c.code: c for c in CUSTOMERS}

# ---------------------------------------------------------------------------
# Documents and lines.

MESES = ["janeiro", "fevereiro", "março", "abril", "maio", "junho", "julho", "agosto",
         "setembro", "outubro", "novembro", "dezembro"]
COURTS = ["LSB", "PRT", "SNT", "CSC", "LRS", "BRR", "AMD", "VFX"]


def processo(d):
    return f"{rng.randrange(100, 9999)}/{d.year % 100}.{rng.randrange(10)}T8{rng.choice(COURTS)}"


class Line:
    def __init__(self, ref, descr, quant, preco, iva, desconto="0", isencao=None, cod=None,
                 ret_tipo=None, ret_rate=Decimal("0"), ref_doc=None):
        self.ref, self.descr = ref, descr
        self.quant, self.preco = Decimal(quant), Decimal(preco)
        self.desconto = Decimal(desconto)
        self.iva = Decimal(iva)
        self.isencao, self.cod = isencao, cod
        self.selo_code, self.selo = None, Decimal("0.00")
        self.liq = r2(self.quant * self.preco - self.desconto)
        self.valoriva = r2(self.liq * self.iva / 100)
        self.ret = r2(self.liq * ret_rate) if ret_rate else Decimal("0.00")
        self.ret_tipo = ret_tipo if self.ret else None
        self.total = self.liq + self.valoriva + self.selo
        self.ref_doc = ref_doc  # the document this line credits, debits or pays


class ReceiptLine:
    """A receipt line: the amount paid on one document, its proportional net,
    VAT and withholding (a credit note is deducted with negative amounts)."""

    def __init__(self, doc, paid):
        self.ref_doc = doc
        self.total = paid
        sign = -1 if doc.tipodoc == "NC" else 1
        share = Fraction(abs(paid)) / Fraction(doc.total)
        self.liq = sign * r2(Decimal(share.numerator) * doc.liq / Decimal(share.denominator))
        self.valoriva = sign * r2(Decimal(share.numerator) * doc.valoriva /
                                  Decimal(share.denominator))
        self.ret = sign * r2(Decimal(share.numerator) * doc.ret / Decimal(share.denominator))
        self.ret_tipo = doc.ret_tipo() if self.ret else None
        self.selo = Decimal("0.00")


class Doc:
    seq = 0

    def __init__(self, tipodoc, serie, data, customer):
        Doc.seq += 1
        self.order = Doc.seq
        self.tipodoc, self.serie, self.data, self.customer = tipodoc, serie, data, customer
        self.lines = []
        self.anulado, self.motivo, self.modopag = 0, None, None
        self.id = self.numero = None
        self.paid = Decimal("0")  # by receipts
        self.credited = False
        self.settled_by_nc = None
        self.nif = None  # the tax number stored on it, when not the customer's current one

    @property
    def liq(self):
        return sum((l.liq for l in self.lines), Decimal("0.00"))

    @property
    def valoriva(self):
        return sum((l.valoriva for l in self.lines), Decimal("0.00"))

    @property
    def selo(self):
        return sum((l.selo for l in self.lines), Decimal("0.00"))

    @property
    def ret(self):
        return sum((l.ret for l in self.lines), Decimal("0.00"))

    @property
    def total(self):
        if self.tipodoc == "R":
            return sum((l.total for l in self.lines), Decimal("0.00"))
        return self.liq + self.valoriva + self.selo - self.ret

    def ret_tipo(self):
        kinds = {l.ret_tipo for l in self.lines if l.ret_tipo}
        return kinds.pop() if len(kinds) == 1 else ("IRC" if kinds else None)

    def label(self):
        return f"{self.tipodoc} {self.serie}/{self.numero}"


docs = []


def business_days(year, month):
    d = dt.date(year, month, 1)
    out = []
    while d.month == month:
        if d.weekday() < 5 and FIRST_DAY <= d <= LAST_DAY and (d.month, d.day) not in (
                (1, 1), (4, 25), (5, 1), (6, 10), (8, 15), (10, 5), (12, 1), (12, 8), (12, 25)):
            out.append(d)
        d += dt.timedelta(days=1)
    return out


def next_business_day(d):
    while d.weekday() >= 5:
        d += dt.timedelta(days=1)
    return d


def fee_vat(c):
    """VAT rate and exemption of a fee line for this customer."""
    if c.kind == "az":
        return "16", None
    if c.kind == "eu":
        return "0", "M40"
    if c.kind == "noneu":
        return "0", "M99"
    return "23", None


def withholding(c, serie):
    # Fees paid by companies with organised accounting in Portugal suffer
    # withholding: IRC for the firm's own series, IRS for the Porto partner's.
    if not c.company:
        return None, Decimal("0")
    return ("IRS" if serie == "B" else "IRC"), Decimal("0.25")


def fee_line(c, serie, ref, descr, quant, preco, desconto="0"):
    iva, code = fee_vat(c)
    kind, rate = withholding(c, serie) if ref in FEE_REFS else (None, Decimal("0"))
    if code:
        return Line(ref, descr, quant, preco, "0", desconto, REASON[code], code,
                    ret_tipo=kind, ret_rate=rate)
    return Line(ref, descr, quant, preco, iva, desconto, ret_tipo=kind, ret_rate=rate)


def stamped(line, code):
    """The line with the stamp duty of that code (a rate or a fixed amount)."""
    kind, value = next((s[2], Decimal(s[3])) for s in STAMPS if s[0] == code)
    line.selo_code = code
    line.selo = r2(line.liq * value / 100) if kind == "Percentagem" else value
    line.total = line.liq + line.valoriva + line.selo
    return line


def desp_line(d):
    descr, preco = rng.choice([
        (f"Taxa de justiça - proc. n.º {processo(d)}", rng.choice(["102.00", "204.00", "306.00"])),
        ("Certidão permanente do registo comercial", "25.00"),
        ("Registo predial - certidão e inscrição", rng.choice(["30.00", "250.00"])),
        ("Emolumentos notariais", rng.choice(["75.00", "120.00"])),
        (f"Custas de parte - proc. n.º {processo(d)}", rng.choice(["51.00", "153.00"])),
    ])
    return Line("DESP", descr, "1", preco, "0", isencao=REASON["M01"], cod="M01")


HON_TEXTS = [
    "Honorários - ação de despejo, proc. n.º {p}",
    "Honorários - processo de inventário n.º {p}",
    "Honorários - acompanhamento de processo laboral n.º {p}",
    "Honorários - recuperação de créditos",
    "Honorários - divórcio por mútuo consentimento",
    "Honorários - processo-crime n.º {p} (fase de inquérito)",
    "Honorários - constituição de sociedade comercial",
    "Honorários - contencioso administrativo, proc. n.º {p}",
    "Honorários - registo de marca nacional",
    "Honorários - partilha de herança e habilitação de herdeiros",
    "Honorários referentes ao proc. n.º {p}\nFase de julgamento e alegações finais",
    "Honorários - impugnação judicial de liquidação de IMI, proc. n.º {p}",
]
PAR_TEXTS = ["conformidade com o RGPD", "contrato de distribuição exclusiva",
             "responsabilidade dos gerentes perante credores",
             "regime de teletrabalho e ajudas de custo", "licenciamento de obra particular"]
CONTR_TEXTS = ["arrendamento para fins não habitacionais", "prestação de serviços",
               "promessa de compra e venda de imóvel", "trabalho a termo certo",
               "cessão de quotas"]


def work_lines(c, serie, d, big=False):
    """The lines of an ordinary invoice or quotation for this customer."""
    lines = []
    kind = rng.random()
    if kind < 0.45:
        text = rng.choice(HON_TEXTS).format(p=processo(d))
        if rng.random() < 0.5:
            q = rng.choice(["1.5", "2", "2.5", "3", "4", "5", "6", "8", "10", "12.5"])
            p = rng.choice(["90.00", "120.00", "150.00", "180.00", "250.00"])
        else:
            q, p = "1", rng.choice(["350.00", "500.00", "750.00", "1000.00", "1500.00",
                                    "2500.00", "4000.00"])
        disc = "0"
        if rng.random() < 0.12:
            disc = str(r2(Decimal(q) * Decimal(p) * Decimal(rng.choice(["0.05", "0.10"]))))
        lines.append(fee_line(c, serie, "HON", text, q, p, disc))
    elif kind < 0.65:
        area = rng.choice(["", " - direito do trabalho", " - arrendamento urbano",
                           " - direito da família", " - direito fiscal"])
        lines.append(fee_line(c, serie, "CONS", "Consulta jurídica" + area,
                              rng.choice(["1", "1", "2"]), rng.choice(["60.00", "90.00", "120.00"])))
    elif kind < 0.78:
        lines.append(fee_line(c, serie, "PAR", "Parecer jurídico sobre " + rng.choice(PAR_TEXTS),
                              "1", rng.choice(["800.00", "1200.00", "1500.00", "3000.00"])))
    elif kind < 0.90:
        lines.append(fee_line(c, serie, "CONTR", "Elaboração de contrato de " +
                              rng.choice(CONTR_TEXTS), "1",
                              rng.choice(["350.00", "450.00", "600.00"])))
    elif kind < 0.95:
        lines.append(fee_line(c, serie, "PARECER_URGENTE_PRAZO_48_HORAS_UTEIS",
                              "Parecer jurídico urgente sobre " + rng.choice(PAR_TEXTS),
                              "1", "2500.00"))
    else:
        lines.append(fee_line(c, serie, "TRAD", "Tradução certificada de " +
                              rng.choice(["certidão de nascimento", "procuração", "contrato"]),
                              rng.choice(["1", "2", "3"]), "60.00"))
    # Extra lines: expenses, travel, copies, postage.
    if rng.random() < 0.45:
        lines.append(desp_line(d))
    if rng.random() < 0.15:
        km = rng.choice(["42", "86", "120", "316", "610"])
        lines.append(fee_line(c, serie, "DESLOC", f"Deslocação ao Tribunal ({km} km)", km, "0.40"))
    if rng.random() < 0.10:
        lines.append(fee_line(c, serie, None, "Fotocópias e digitalizações",
                              rng.choice(["40", "120", "350"]), "0.10"))
    if rng.random() < 0.06:
        lines.append(fee_line(c, serie, "PORTES", "Portes de correio registado com aviso de receção",
                              rng.choice(["1", "2", "3"]), "4.25"))
    if rng.random() < 0.05:
        lines.append(fee_line(c, serie, "", "Reconhecimento de assinatura (ref. antiga)",
                              "1", "25.00"))
    if big and rng.random() < 0.5:
        lines.append(fee_line(c, serie, "HON", "Honorários - reuniões preparatórias",
                              rng.choice(["2", "3", "4"]), "150.00"))
    return lines


def pick(kinds=None, company=None, exclude_only=True):
    pool = [c for c in CUSTOMERS if c.kind != "walkin" and (not exclude_only or c.only is None)
            and (kinds is None or c.kind in kinds)
            and (company is None or c.company == company)]
    return rng.choices(pool, weights=[c.weight for c in pool])[0]


def new_doc(tipodoc, serie, d, c, lines):
    doc = Doc(tipodoc, serie, d, c)
    doc.lines = lines
    docs.append(doc)
    return doc


def cancel(doc, motivo):
    doc.anulado, doc.motivo = 1, motivo


CANCEL_REASONS = ["Erro na identificação do cliente", "Documento emitido em duplicado",
                  "Valores incorretos - substituído por novo documento",
                  "Anulado a pedido do cliente: serviço não prestado"]
PAY_MODES = ["Transferência", "Transferência bancária", "Cheque", "Dinheiro", "MB Way", "",
             "TRANSFERENCIA SEPA", "Cheque visado n.º 0012345", None, "Multibanco"]

invoices = []  # F and ND that receipts may pay
months = [(y, m) for y in (2025, 2026) for m in range(1, 13) if dt.date(y, m, 1) <= LAST_DAY]

for year, month in months:
    days = business_days(year, month)
    first = days[0]
    # Monthly retainers (avenças) of the regular companies, and a quarterly
    # one in the Azores.
    for code in ("0003", "0024", "0031"):
        c = BY_CODE[code]
        doc = new_doc("F", "A", first, c, [fee_line(
            c, "A", "AVENCA", f"Avença mensal - assessoria jurídica ({MESES[month - 1]} de {year})",
            "1", {"0003": "400.00", "0024": "600.00", "0031": "250.00"}[code])])
        invoices.append(doc)
    if month % 3 == 1:
        c = BY_CODE["0009"]
        doc = new_doc("F", "A", first, c, [fee_line(
            c, "A", "AVENCA", f"Avença trimestral - assessoria jurídica ({year}, T{month // 3 + 1})",
            "3", "300.00")])
        invoices.append(doc)
    # Ordinary invoices, Lisbon (A) and Porto (B).
    for _ in range(rng.randint(4, 8)):
        serie = "B" if rng.random() < 0.3 else "A"
        c = pick()
        doc = new_doc("F", serie, rng.choice(days), c, work_lines(c, serie, first, big=True))
        invoices.append(doc)
    # Invoice-receipts, paid at once.
    for _ in range(rng.randint(2, 4)):
        serie = "B" if rng.random() < 0.25 else "A"
        c = pick()
        doc = new_doc("FR", serie, rng.choice(days), c, work_lines(c, serie, first))
        doc.modopag = rng.choice(PAY_MODES)
    # Simplified invoices: consultations of walk-in consumers and private
    # customers (below the 1000 euro limit).
    for _ in range(rng.randint(1, 3)):
        c = BY_CODE[WALKIN] if rng.random() < 0.6 else pick(kinds=("pt",), company=False)
        lines = [fee_line(c, "A", "CONS", "Consulta jurídica", "1", rng.choice(["60.00", "90.00"]))]
        if rng.random() < 0.2:
            lines.append(Line("PUB", rng.choice([
                "Código do Trabalho anotado (edição de " + str(year) + ")",
                "Guia prático do arrendamento urbano"]), rng.choice(["1", "2"]), "35.00", "6"))
        if rng.random() < 0.15:
            lines.append(fee_line(c, "A", "RECON", "Reconhecimento de assinaturas", "1", "25.00"))
        doc = new_doc("FS", "A", rng.choice(days), c, lines)
        doc.modopag = rng.choice(["Dinheiro", "Multibanco", "MB Way"])
    # Quotations.
    for _ in range(rng.randint(1, 2)):
        serie = "B" if rng.random() < 0.3 else "A"
        c = pick() if rng.random() < 0.85 else BY_CODE["0042"]
        d = rng.choice(days)
        lines = work_lines(c, serie, first, big=True)
        if year >= STAMP_FROM_YEAR and rng.random() < 0.5:
            lines.append(stamped(fee_line(c, serie, "RECON",
                                          "Procuração forense com poderes especiais", "1",
                                          "25.00"), "15.7"))
            if rng.random() < 0.5:
                lines.append(stamped(fee_line(c, serie, "HON",
                                              "Honorários - garantia bancária e caução", "1",
                                              "400.00"), "17.3.4"))
        new_doc("OR", serie, d, c, lines)
    # Training for companies, exempt.
    if month in (3, 6, 10):
        c = pick(kinds=("pt",), company=True)
        text = REASON_M07_TYPED if month == 10 else REASON["M07"]
        doc = new_doc("F", "A", rng.choice(days), c, [
            Line("FORM", "Ação de formação - " + rng.choice(
                ["RGPD para equipas comerciais", "Novo regime do arrendamento",
                 "Contratação pública"]), "1", "750.00", "0", isencao=text, cod="M07"),
            Line("SEMIN", "Serviço de refeições em seminário", rng.choice(["12", "20"]), "18.50",
                 "13")])
        invoices.append(doc)

# Advance invoices (provisões) of private customers, deducted later by the
# final invoice with a negative line that points at the advance.
for year, month in months[:-3:3]:
    days = business_days(year, month)
    c = pick(kinds=("pt",), company=False)
    d = rng.choice(days)
    amount = rng.choice(["500.00", "750.00", "1000.00"])
    fa = new_doc("FA", "A", d, c, [Line("HON", "Provisão para honorários e despesas - proc. n.º " +
                                         processo(d), "1", amount, "23")])
    fa.modopag = rng.choice(["Transferência", "MB Way"])
    final_day = next_business_day(d + dt.timedelta(days=rng.randint(40, 80)))
    lines = [Line("HON", "Honorários - " + rng.choice(["ação declarativa comum",
                                                        "processo de inventário",
                                                        "divórcio sem consentimento"]),
                  "1", str(Decimal(amount) * 3), "23"), desp_line(final_day)]
    lines.append(Line("HON", "Dedução da provisão recebida", "1", "-" + amount, "23", ref_doc=fa))
    invoices.append(new_doc("F", "A", final_day, c, lines))

# One invoice with fees of both kinds of withholding.
c = BY_CODE["0039"]
mixed = new_doc("F", "A", dt.date(2025, 5, 14), c, [
    Line("HON", "Honorários - contencioso fiscal (sociedade)", "1", "2000.00", "23",
         ret_tipo="IRC", ret_rate=Decimal("0.25")),
    Line("PAR", "Parecer jurídico - Dr. Rui Quintela (prática individual)", "1", "800.00", "23",
         ret_tipo="IRS", ret_rate=Decimal("0.25")),
    desp_line(dt.date(2025, 5, 14))])
invoices.append(mixed)

# A foreign customer's invoice with the long text of the not-taxed reason, and
# zero-rated lines whose code is left for the reasons table to give.
c = BY_CODE["0017"]
invoices.append(new_doc("F", "A", dt.date(2025, 9, 23), c, [
    Line("PAR", "Parecer jurídico sobre investimento imobiliário em Portugal", "1", "3000.00",
         "0", isencao=REASON_M99_LONG, cod="M99")]))

# Customers with documents only in 2026, and drafts never issued.
c = BY_CODE["0036"]
invoices.append(new_doc("F", "B", dt.date(2026, 2, 17), c, work_lines(c, "B", dt.date(2026, 2, 17))))
new_doc("OR", "B", dt.date(2026, 3, 4), c, work_lines(c, "B", dt.date(2026, 3, 4)))
for n, (tipodoc, d, code) in enumerate([("F", dt.date(2025, 3, 12), "0035"),
                                        ("F", dt.date(2025, 7, 1), "0001"),
                                        ("FR", dt.date(2025, 10, 20), "0035"),
                                        ("OR", dt.date(2025, 12, 2), "0035"),
                                        ("F", dt.date(2026, 6, 8), "0024")]):
    c = BY_CODE[code]
    new_doc(tipodoc, "tmp", d, c, work_lines(c, "A", d))

# Cancelled documents.
for doc in rng.sample([d for d in docs if d.tipodoc in ("F", "FR", "FS", "OR")
                       and d.serie != "tmp" and not any(l.ref_doc for l in d.lines)], 16):
    cancel(doc, rng.choice(CANCEL_REASONS))
cancelled_fa = [d for d in docs if d.tipodoc == "F" and any(
    l.ref_doc and l.ref_doc.anulado for l in d.lines)]
assert not cancelled_fa

# Debit notes: expenses that came after the invoice.
open_f = [d for d in invoices if d.tipodoc == "F" and not d.anulado and d.serie != "tmp"
          and d.data < dt.date(2026, 10, 1) and not any(l.ref_doc for l in d.lines)]
for base in rng.sample(open_f, 7):
    d = next_business_day(base.data + dt.timedelta(days=rng.randint(5, 30)))
    lines = [desp_line(d)]
    lines[0].ref_doc = base
    if rng.random() < 0.5:
        l = fee_line(base.customer, base.serie, "HON", "Honorários - diligências adicionais",
                     "2", "150.00")
        l.ref_doc = base
        lines.append(l)
    nd = new_doc("ND", base.serie, d, base.customer, lines)
    invoices.append(nd)

# Credit notes: a partial credit (fee reduced) or the whole invoice.
open_f = [d for d in invoices if d.tipodoc == "F" and not d.anulado and d.serie != "tmp"
          and d.data < dt.date(2026, 10, 1) and not any(l.ref_doc for l in d.lines)]
for i, base in enumerate(rng.sample(open_f, 14)):
    d = next_business_day(base.data + dt.timedelta(days=rng.randint(3, 25)))
    if i % 3 == 0:
        lines = []
        for bl in base.lines:
            kind, rate = (bl.ret_tipo, Decimal("0.25")) if bl.ret_tipo else (None, Decimal("0"))
            lines.append(Line(bl.ref, bl.descr, str(bl.quant), str(bl.preco), str(bl.iva),
                              str(bl.desconto), bl.isencao, bl.cod, ret_tipo=kind,
                              ret_rate=rate, ref_doc=base))
        base.credited = True
    else:
        bl = max(base.lines, key=lambda l: l.liq)
        kind, rate = (bl.ret_tipo, Decimal("0.25")) if bl.ret_tipo else (None, Decimal("0"))
        amount = r2(bl.liq * Decimal(rng.choice(["0.10", "0.20", "0.25"])))
        lines = [Line(bl.ref, "Desconto concedido sobre " + bl.descr.split("\n")[0][:60], "1",
                      str(amount), str(bl.iva), "0", bl.isencao, bl.cod, ret_tipo=kind,
                      ret_rate=rate, ref_doc=base)]
    nc = new_doc("NC", base.serie, d, base.customer, lines)
    if not base.credited:
        base.settled_by_nc = nc
# One partial credit note cancelled: its invoice is paid in full.
nc = next(d for d in docs if d.tipodoc == "NC" and not d.lines[0].ref_doc.credited)
cancel(nc, "Emitida por engano")
nc.lines[0].ref_doc.settled_by_nc = None

# ---------------------------------------------------------------------------
# Receipts.


def sql_proportion(paid, total, liq):
    """The proportional net as the database computes it: the quotient of two
    DECIMAL(15,2) values keeps 6 decimals, then is multiplied and rounded."""
    q = (Decimal(paid) / Decimal(total)).quantize(Decimal("0.000001"), rounding=ROUND_HALF_UP)
    return r2(q * liq)


def safe_part(doc, paid):
    """Whether the paid share of the net is the same in exact, DECIMAL and
    DOUBLE arithmetic, far from a half cent."""
    exact = Fraction(paid) * Fraction(doc.liq) / Fraction(doc.total)
    cents = exact * 100
    dist = abs(cents - int(cents) - Fraction(1, 2))
    return dist > Fraction(5, 100) and sql_proportion(paid, doc.total, doc.liq) == r2(
        Decimal(exact.numerator) / Decimal(exact.denominator))


events = []  # (date, doc, paid, receipt-level payment mode)
for doc in invoices:
    if doc.anulado or doc.credited or doc.serie == "tmp":
        continue
    roll = rng.random()
    due = doc.total
    nc = doc.settled_by_nc
    if roll < 0.15 and nc is None:
        continue  # still open
    if roll < 0.30 and nc is None and due > 200:
        part = r2(due * Decimal(rng.choice(["0.3", "0.4", "0.5"])))
        while not (safe_part(doc, part) and safe_part(doc, due - part)):
            part += CENT
        d1 = next_business_day(doc.data + dt.timedelta(days=rng.randint(5, 30)))
        d2 = next_business_day(d1 + dt.timedelta(days=rng.randint(20, 60)))
        events.append((d1, doc, part, None))
        events.append((d2, doc, due - part, None))
    else:
        d1 = next_business_day(doc.data + dt.timedelta(days=rng.randint(5, 45)))
        if nc is not None:
            d1 = max(d1, next_business_day(nc.data + dt.timedelta(days=2)))
        events.append((d1, doc, due, nc))

events = [e for e in events if e[0] <= LAST_DAY]
events.sort(key=lambda e: (e[0], e[1].order))
receipts = []
open_receipt = {}  # (customer, serie) -> receipt still gathering payments
for d, doc, paid, nc in events:
    key = (doc.customer.code, doc.serie)
    r = open_receipt.get(key)
    if r is None or (d - r.data).days > 10 or any(l.ref_doc is doc for l in r.lines):
        r = Doc("R", doc.serie, d, doc.customer)
        r.modopag = rng.choice(PAY_MODES)
        receipts.append(r)
        open_receipt[key] = r
    r.data = d
    r.lines.append(ReceiptLine(doc, paid))
    doc.paid += paid
    if nc is not None:
        r.lines.append(ReceiptLine(nc, -nc.total))
        nc.paid -= nc.total
for r in receipts:
    docs.append(r)
# A receipt cancelled because the cheque bounced: the invoice stays open.
bounced = next(d for d in invoices if d.tipodoc == "F" and not d.anulado and not d.credited
               and d.paid == 0 and d.settled_by_nc is None and d.serie == "A"
               and d.customer.kind == "pt" and d.data.year == 2025 and d.data.month >= 6)
r = Doc("R", "A", next_business_day(bounced.data + dt.timedelta(days=12)), bounced.customer)
r.lines.append(ReceiptLine(bounced, bounced.total))
r.modopag = "Cheque"
cancel(r, "Cheque devolvido pelo banco (falta de provisão)")
docs.append(r)

# A quotation with a discount line; an invoice at the intermediate rate to a
# customer whose tax number has changed since; an invoice to the walk-in
# customer, paid by a receipt.
for d in (dt.date(2025, 11, 12), dt.date(2026, 4, 15)):
    c = pick(kinds=("pt",), company=False)
    new_doc("OR", "A", d, c, [
        fee_line(c, "A", "HON", "Honorários - revisão de contrato de arrendamento", "1",
                 "400.00"),
        Line("HON", "Desconto", "1", "-10.00", "23")])
    c = pick(kinds=("pt",), company=False)
    moved = new_doc("F", "A", d + dt.timedelta(days=1), c, [
        fee_line(c, "A", "CONS", "Consulta jurídica", "1", "90.00"),
        Line("SEMIN", "Serviço de refeições em seminário", "4", "18.50", "13")])
    moved.nif = nif("5" + "".join(str(rng.randrange(10)) for _ in range(7)))
    walkin = BY_CODE[WALKIN]
    sold = new_doc("F", "A", d + dt.timedelta(days=2), walkin, [
        Line("CONS", "Consulta jurídica", "1", "60.00", "23")])
    r = Doc("R", "A", d + dt.timedelta(days=2), walkin)
    r.lines.append(ReceiptLine(sold, sold.total))
    r.modopag = "Dinheiro"
    docs.append(r)

# Every zero-rated line of a paid document keeps its exemption code; on other
# documents the code is often left empty, for the reasons table to give.
paid_docs = {id(l.ref_doc) for r in docs if r.tipodoc == "R" for l in r.lines}
for doc in docs:
    if doc.tipodoc == "R" or id(doc) in paid_docs:
        continue
    for l in doc.lines:
        if l.iva == 0 and l.isencao and l.isencao != REASON_M07_TYPED and rng.random() < 0.4:
            l.cod = rng.choice(["", None])

# ---------------------------------------------------------------------------
# Numbering: ids in date order, numbers 1.. per type and series in date order.
TYPE_ORDER = {t: i for i, t in enumerate(["FA", "F", "FR", "FS", "ND", "NC", "OR", "R"])}
docs.sort(key=lambda d: (d.data, TYPE_ORDER[d.tipodoc], d.order))
counters = {}
for i, doc in enumerate(docs, 1):
    doc.id = i
    key = (doc.tipodoc, doc.serie)
    counters[key] = counters.get(key, 0) + 1
    doc.numero = counters[key]

ATCUD_CODES = {}


def atcud(doc):
    if doc.serie == "tmp":
        return "0"
    key = (doc.tipodoc, doc.serie)
    if key not in ATCUD_CODES:
        ATCUD_CODES[key] = "JF" + "".join(rng.choice("ABCDEFGHJKLMNPQRSTUVWXYZ23456789")
                                          for _ in range(6))
    return f"{ATCUD_CODES[key]}-{doc.numero}"


# ---------------------------------------------------------------------------
# SQL output.


def q(v):
    if v is None:
        return "NULL"
    if isinstance(v, (int, Decimal)):
        return str(v)
    if isinstance(v, dt.datetime):
        return "'" + v.strftime("%Y-%m-%d %H:%M:%S") + "'"
    if isinstance(v, dt.date):
        return "'" + v.isoformat() + "'"
    return "'" + v.replace("\\", "\\\\").replace("'", "''").replace("\n", "\\n") + "'"


out = []


def insert(table, columns, rows, chunk=150):
    for i in range(0, len(rows), chunk):
        out.append(f"INSERT INTO {table} ({', '.join(columns)}) VALUES")
        part = rows[i:i + chunk]
        for j, row in enumerate(part):
            out.append("  (" + ", ".join(q(v) for v in row) + (")," if j < len(part) - 1 else ");"))
    out.append("")


out.append("-- Demo billing database: a Lisbon law firm, 2025-01-01 .. 2026-11-30.")
out.append("-- Generated by db/make_demo.py (fixed seed); edit the generator, not this file.")
out.append("-- Loads into the tables of db/schema.sql, latin1 or utf8mb4.")
out.append("SET NAMES utf8mb4;")
out.append("START TRANSACTION;")
out.append("")

insert("configescritorio", [
    "ID", "nome", "designacao", "morada", "Localidade", "Codpostal", "NumContribuinte",
    "EspacoFiscal", "Iva", "fax", "telefone", "TamMaxCitius", "NumRegisto", "Conservatoria",
    "TaxaConversao", "Moeda1", "Moeda11", "Moeda2", "Moeda21", "Pais", "Simbolo1", "Simbolo2",
    "Email", "Smtp", "SmtpLogin", "SmtpPassword", "SmtpAutenticacao", "Pop", "PopLogin",
    "PopPassword", "LancaAssistentes", "NomeTextosTipo", "DigitosCodCliente",
    "DigitosCodProcesso", "TipoNumeracao", "VersaoChavePrivada", "PastaCorreio", "PastaEmail",
    "Central", "ConverteTextoTipoRtf", "RelacionaAutomaticamente", "ClienteIndiferenciado",
    "OC", "OC1", "IvaCaixa"], [[
        1, "Sociedade de Advogados Ferreira Quintela & Associados, RL",
        "Ferreira Quintela & Associados", "Avenida da Liberdade, 190 - 4.º Esq.", "Lisboa",
        "1250-147 Lisboa", OFFICE_NIF, "Continente", Decimal("23.00"), "213 401 501",
        "213 401 500", 10, "Registo n.º 12/2009", "Ordem dos Advogados",
        Decimal("200.482000"), "Euro", "Euros", "Escudo", "Escudos", "Portugal", "€", "Esc.",
        "geral@fqa-advogados.example.pt", "smtp.fqa-advogados.example.pt",
        "geral@fqa-advogados.example.pt", "demo", 1, "pop.fqa-advogados.example.pt",
        "geral@fqa-advogados.example.pt", "demo", 0, "Minutas", 4, 5, 1, 1,
        "C:\\Lexora\\Correio", "C:\\Lexora\\Email", 0, 1, 1, WALKIN, 0, 0, 0]])

insert("clientes", ["CodCliente", "NContribuinte", "Nome", "Morada", "CodPostal", "Localidade",
                    "Pais", "Telefone", "Fax", "Email"],
       [[c.code, c.nif, c.name, c.morada, c.codpostal, c.localidade, c.pais, c.phone, c.fax,
         c.email] for c in CUSTOMERS])

insert("series", ["serie", "descricao", "seriegeral", "IvaCaixa"], [
    ["A", "Série geral - Lisboa", 1, 0],
    ["B", "Série do escritório do Porto", 0, 0],
    ["tmp", "Documentos por gravar", 0, 0]])

insert("seriedocumento", ["documento", "serie", "ultimonumero"],
       [[t, s, counters.get((t, s), 0)] for t in ("F", "FR", "FA", "FS", "ND", "NC", "OR", "R")
        for s in ("A", "B", "tmp")])

insert("iva", ["nome", "descricao"], [
    ["23", "Taxa normal"], ["13", "Taxa intermédia"], ["6", "Taxa reduzida"],
    ["0", "Isento"], ["16", "Taxa normal - Região Autónoma dos Açores"]])

insert("impostoselo", ["Codigo", "Nome", "Tipo", "Valor"],
       [[c, n, t, Decimal(v)] for c, n, t, v in STAMPS])

insert("honorarios", ["Referencia", "Descricao", "Categoria", "Valor"],
       [[r, d, c, Decimal(v)] for r, d, c, v, _ in FEES])

seen = set()
reason_rows = []
for code, text in REASONS_NEW + REASONS_OLD:
    if text not in seen:
        seen.add(text)
        reason_rows.append([text, code])
insert("tipoisencaoiva", ["Nome", "CodMencao"], reason_rows)


def signature():
    return base64.b64encode(bytes(rng.getrandbits(8) for _ in range(128))).decode()


doc_rows, line_rows = [], []
line_id = 0
last_entry = {}
for doc in docs:
    c = doc.customer
    edited = None
    if rng.random() < 0.9:
        edited = dt.datetime.combine(doc.data, dt.time(rng.randint(9, 19), rng.randint(0, 59),
                                                       rng.randint(0, 59)))
        if rng.random() < 0.1:
            edited += dt.timedelta(days=1)
    # The billing program numbers a document when it saves it: within a type
    # and series, the save times go up with the numbers.
    entry = edited or dt.datetime.combine(doc.data, dt.time())
    last = last_entry.get((doc.tipodoc, doc.serie))
    if last is not None and entry < last:
        edited = entry = last + dt.timedelta(minutes=1)
    last_entry[(doc.tipodoc, doc.serie)] = entry
    signed = doc.serie != "tmp" and rng.random() < 0.6
    doc_rows.append([
        doc.id, doc.tipodoc, doc.serie, doc.numero, doc.data, edited, doc.anulado, doc.motivo,
        atcud(doc), signature() if signed else None, 1 if signed else None, c.code,
        doc.nif or c.nif,
        doc.valoriva, doc.selo, doc.liq, Decimal("0.00"), doc.total, doc.ret, doc.modopag])
    for l in doc.lines:
        line_id += 1
        p = l.ref_doc
        ref = (p.id, p.tipodoc, p.serie, p.numero) if p else (None, "", None, None)
        if doc.tipodoc == "R":
            verb = "Dedução da nota de crédito" if p.tipodoc == "NC" else "Liquidação de"
            line_rows.append([
                line_id, doc.id, doc.tipodoc, doc.serie, doc.numero, None,
                f"{verb} {p.label()} de {p.data.strftime('%d/%m/%Y')}", Decimal("1.00"),
                l.total, Decimal("0.00"), l.liq, Decimal("0.00"), l.valoriva, l.total, l.ret,
                l.ret_tipo, None, None, None, Decimal("0.00"), *ref])
        else:
            line_rows.append([
                line_id, doc.id, doc.tipodoc, doc.serie, doc.numero, l.ref, l.descr, l.quant,
                l.preco, l.desconto, l.liq, l.iva, l.valoriva, l.total, l.ret, l.ret_tipo,
                l.isencao, l.cod, l.selo_code, l.selo, *ref])

insert("documentos", [
    "IDDoc", "tipodoc", "serie", "numero", "Data", "DataEdicao", "Anulado", "Motivo", "ATCUD",
    "Assinatura", "VersaoChavePrivada", "CodCliente", "NContribuinteCliente", "ValorIva",
    "ValorSelo", "ValorLiquido", "ValorDesconto", "ValorTotal", "ValorRetencao", "ModoPag"],
    doc_rows)
insert("documentoslinhas", [
    "ID", "IDDoc", "tipodoc", "Serie", "numero", "Referencia", "Descricao", "Quant", "Preco",
    "ValorDesconto", "ValorLiquido", "Iva", "ValorIva", "ValorTotal", "ValorRetencao",
    "TipoRetencao", "IsencaoIva", "CodMencao", "CodigoSelo", "ValorSelo", "IDDocP", "TipoDocP",
    "SerieP", "NumeroP"], line_rows)

# Names outside Windows-1252 fit only utf8 tables: latin1 tables keep the
# plain spelling written above.
out.append("-- Spellings that only utf8 tables can hold.")
utf8_check = ("(SELECT CHARACTER_SET_NAME FROM information_schema.COLUMNS WHERE "
              "TABLE_SCHEMA = DATABASE() AND TABLE_NAME = 'clientes' AND COLUMN_NAME = 'Nome') "
              "IN ('utf8', 'utf8mb3', 'utf8mb4')")
for c in CUSTOMERS:
    if c.utf8_name:
        out.append(f"UPDATE clientes SET Nome = {q(c.utf8_name)}, Morada = {q(c.utf8_morada)} "
                   f"WHERE CodCliente = {q(c.code)} AND {utf8_check};")
out.append("")
out.append("COMMIT;")

sys.stdout.write("\n".join(out) + "\n")

counts = {}
for d in docs:
    counts[d.tipodoc] = counts.get(d.tipodoc, 0) + 1
print(f"{len(docs)} documents {counts}, {line_id} lines, {len(CUSTOMERS)} customers",
      file=sys.stderr)
assert all(nif_valid(c.nif) for c in CUSTOMERS
           if c.nif and c.nif.replace(" ", "").isdigit() and len(c.nif.replace(" ", "")) == 9
           and c.nif != "999999990")
