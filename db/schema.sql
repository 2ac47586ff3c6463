-- Tables of the billing database that the export reads, as the host product
-- keeps them. Offices' databases differ in column types and character sets
-- (amounts as DECIMAL or DOUBLE, dates as DATE or DATETIME, latin1 or
-- utf8mb4 tables); the tests also load this file with those variants.

CREATE TABLE configescritorio (
  ID INT NOT NULL PRIMARY KEY,
  nome VARCHAR(150) NULL,
  designacao VARCHAR(150) NULL,
  morada VARCHAR(200) NULL,
  Localidade VARCHAR(100) NULL,
  Codpostal VARCHAR(40) NULL,
  NumContribuinte VARCHAR(20) NULL,
  EspacoFiscal VARCHAR(20) NULL,
  Iva DECIMAL(15,2) NULL,
  fax VARCHAR(40) NULL,
  telefone VARCHAR(40) NULL,
  TamMaxCitius INT NULL,
  NumRegisto VARCHAR(40) NULL,
  Conservatoria VARCHAR(100) NULL,
  TaxaConversao DECIMAL(15,6) NULL,
  Moeda1 VARCHAR(20) NULL,
  Moeda11 VARCHAR(20) NULL,
  Moeda2 VARCHAR(20) NULL,
  Moeda21 VARCHAR(20) NULL,
  Pais VARCHAR(60) NULL,
  Simbolo1 VARCHAR(5) NULL,
  Simbolo2 VARCHAR(5) NULL,
  Email VARCHAR(100) NULL,
  Smtp VARCHAR(100) NULL,
  SmtpLogin VARCHAR(100) NULL,
  SmtpPassword VARCHAR(100) NULL,
  SmtpAutenticacao TINYINT(1) NULL,
  Pop VARCHAR(100) NULL,
  PopLogin VARCHAR(100) NULL,
  PopPassword VARCHAR(100) NULL,
  LancaAssistentes TINYINT(1) NULL,
  NomeTextosTipo VARCHAR(100) NULL,
  DigitosCodCliente INT NULL,
  DigitosCodProcesso INT NULL,
  TipoNumeracao INT NULL,
  VersaoChavePrivada INT NULL,
  PastaCorreio VARCHAR(255) NULL,
  PastaEmail VARCHAR(255) NULL,
  Central TINYINT(1) NULL,
  ConverteTextoTipoRtf TINYINT(1) NULL,
  RelacionaAutomaticamente TINYINT(1) NULL,
  ClienteIndiferenciado VARCHAR(20) NULL,
  OC TINYINT(1) NULL DEFAULT 0,
  OC1 TINYINT(1) NULL DEFAULT 0,
  IvaCaixa TINYINT(1) NULL DEFAULT 0
) DEFAULT CHARSET=latin1;

CREATE TABLE clientes (
  CodCliente VARCHAR(20) NOT NULL PRIMARY KEY,
  NContribuinte VARCHAR(20) NULL,
  Nome VARCHAR(150) NULL,
  Morada VARCHAR(200) NULL,
  CodPostal VARCHAR(40) NULL,
  Localidade VARCHAR(100) NULL,
  Pais VARCHAR(60) NULL,
  Telefone VARCHAR(40) NULL,
  Fax VARCHAR(40) NULL,
  Email VARCHAR(100) NULL
) DEFAULT CHARSET=latin1;

CREATE TABLE series (
  serie VARCHAR(10) NOT NULL PRIMARY KEY,
  descricao VARCHAR(100) NULL,
  seriegeral TINYINT(1) NULL DEFAULT 0,
  IvaCaixa TINYINT(1) NULL DEFAULT 0
) DEFAULT CHARSET=latin1;

CREATE TABLE seriedocumento (
  ID INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
  documento VARCHAR(5) NOT NULL,
  serie VARCHAR(10) NOT NULL,
  ultimonumero INT NULL DEFAULT 0
) DEFAULT CHARSET=latin1;

CREATE TABLE iva (
  ID INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
  nome VARCHAR(20) NULL,
  descricao VARCHAR(100) NULL
) DEFAULT CHARSET=latin1;

CREATE TABLE impostoselo (
  ID INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
  Codigo VARCHAR(10) NULL,
  Nome VARCHAR(255) NULL,
  Tipo VARCHAR(20) NULL,
  Valor DECIMAL(15,2) NULL
) DEFAULT CHARSET=latin1;

CREATE TABLE honorarios (
  ID INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
  Referencia VARCHAR(60) NULL,
  Descricao VARCHAR(255) NULL,
  Categoria VARCHAR(2) NULL,
  Valor DECIMAL(15,2) NULL
) DEFAULT CHARSET=latin1;

CREATE TABLE tipoisencaoiva (
  ID INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
  Nome VARCHAR(255) NULL,
  CodMencao VARCHAR(5) NULL
) DEFAULT CHARSET=latin1;

CREATE TABLE documentos (
  IDDoc INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
  tipodoc VARCHAR(3) NOT NULL,
  serie VARCHAR(10) NOT NULL,
  numero INT NOT NULL,
  Data DATE NULL,
  DataEdicao DATETIME NULL,
  Anulado TINYINT(1) NULL DEFAULT 0,
  Motivo VARCHAR(255) NULL,
  ATCUD VARCHAR(100) NULL,
  Assinatura VARCHAR(400) NULL,
  VersaoChavePrivada INT NULL,
  CodCliente VARCHAR(20) NULL,
  NContribuinteCliente VARCHAR(20) NULL,
  ValorIva DECIMAL(15,2) NULL DEFAULT 0,
  ValorSelo DECIMAL(15,2) NULL DEFAULT 0,
  ValorLiquido DECIMAL(15,2) NULL DEFAULT 0,
  ValorDesconto DECIMAL(15,2) NULL DEFAULT 0,
  ValorTotal DECIMAL(15,2) NULL DEFAULT 0,
  ValorRetencao DECIMAL(15,2) NULL DEFAULT 0,
  ModoPag VARCHAR(40) NULL,
  KEY documentos_tsn (tipodoc, serie, numero),
  KEY documentos_data (Data)
) DEFAULT CHARSET=latin1;

CREATE TABLE documentoslinhas (
  ID INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
  IDDoc INT NOT NULL,
  tipodoc VARCHAR(3) NOT NULL,
  Serie VARCHAR(10) NOT NULL,
  numero INT NOT NULL,
  Referencia VARCHAR(60) NULL,
  Descricao TEXT NULL,
  Quant DECIMAL(15,2) NULL DEFAULT 1,
  Preco DECIMAL(15,2) NULL DEFAULT 0,
  ValorDesconto DECIMAL(15,2) NULL DEFAULT 0,
  ValorLiquido DECIMAL(15,2) NULL DEFAULT 0,
  Iva DECIMAL(15,2) NULL DEFAULT 0,
  ValorIva DECIMAL(15,2) NULL DEFAULT 0,
  ValorTotal DECIMAL(15,2) NULL DEFAULT 0,
  ValorRetencao DECIMAL(15,2) NULL DEFAULT 0,
  TipoRetencao VARCHAR(3) NULL,
  IsencaoIva VARCHAR(255) NULL,
  CodMencao VARCHAR(5) NULL,
  CodigoSelo VARCHAR(10) NULL,
  ValorSelo DECIMAL(15,2) NULL DEFAULT 0,
  IDDocP INT NULL,
  TipoDocP VARCHAR(3) NULL DEFAULT '',
  SerieP VARCHAR(10) NULL,
  NumeroP INT NULL,
  KEY linhas_iddoc (IDDoc),
  KEY linhas_tsn (tipodoc, Serie, numero),
  KEY linhas_iddocp (IDDocP)
) DEFAULT CHARSET=latin1;
