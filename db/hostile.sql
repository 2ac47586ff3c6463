-- Hostile billing data, loaded over db/schema.sql: quotes, backslashes, "%"
-- and "_" in keys and texts, control characters, 100,000-character texts,
-- characters outside Windows-1252, raw latin1 bytes, NULLs where offices
-- leave them, and one invoice of 40,000 lines. Period: 2024.
SET NAMES utf8mb4;

-- Offices widen the free-text columns; the line and address texts hold
-- 100,000 characters here, and the lines take any character.
ALTER TABLE documentoslinhas MODIFY Descricao MEDIUMTEXT NULL;
ALTER TABLE documentoslinhas CONVERT TO CHARACTER SET utf8mb4;
ALTER TABLE clientes MODIFY Morada MEDIUMTEXT NULL;

INSERT INTO configescritorio (ID, nome, morada, Localidade, Codpostal, NumContribuinte,
  EspacoFiscal, Iva, OC, OC1, IvaCaixa, ClienteIndiferenciado) VALUES
  (1, 'O''Neill "&" <Sócios> \\ 100% _Lda_', CONCAT('Rua Jos', _latin1 X'E9', ' 1'),
   'Lisboa', '1100-060 Lisboa', '501234567', 'PT', 23, 0, 0, 0, NULL);

-- Key and texts full of quoting characters; an address of 100,000
-- characters; raw latin1 bytes (0x80 is the euro sign in this table's
-- character set, 0x81 has no Windows-1252 character).
INSERT INTO clientes (CodCliente, NContribuinte, Nome, Morada, CodPostal, Localidade, Pais) VALUES
  ('C''1\\%_', '123456789', 'Ana "A''na" \\ 50% _x_ <b>&amp;</b>',
   CONCAT('Rua ', REPEAT('abcdefghi ', 10000)), '1000-001',
   CONCAT('S', _latin1 X'E3', 'o Jo', _latin1 X'E3', 'o ', _latin1 X'80', _latin1 X'81'),
   'Portugal'),
  ('C2', NULL, NULL, NULL, NULL, NULL, NULL),
  ('C3', '987654321', CONCAT('Tab', CHAR(9), 'Bell', CHAR(7), 'Nul', CHAR(0), 'Fim'),
   CONCAT('Linha1', CHAR(13), CHAR(10), 'Linha2'), '4000-001', 'Porto', 'Portugal');

INSERT INTO series (serie, descricao) VALUES ('A', 'Série A'), ('B''\\', 'Série ''B'' \\');
INSERT INTO seriedocumento (documento, serie, ultimonumero) VALUES
  ('F', 'A', 3), ('F', 'B''\\', 1), ('R', 'A', 1), ('OR', 'A', 1);
INSERT INTO iva (nome, descricao) VALUES ('23', 'Taxa normal'), ('0', 'Isento');
INSERT INTO honorarios (Referencia, Descricao, Categoria, Valor) VALUES
  ('H''1\\%_', 'Consulta "urgente" \\ 100% _já_', 'S', 100),
  ('H2', NULL, NULL, NULL);
INSERT INTO tipoisencaoiva (Nome, CodMencao) VALUES
  ('Isento art. 9.º "CIVA" O''Brien \\ 100% _x_', 'M99'), ('Isento Artigo 9.º do CIVA', 'M07');

INSERT INTO documentos (IDDoc, tipodoc, serie, numero, Data, DataEdicao, Anulado, Motivo,
  ATCUD, Assinatura, CodCliente, NContribuinteCliente, ValorIva, ValorLiquido, ValorTotal,
  ModoPag) VALUES
  (1, 'F', 'A', 1, '2024-03-05', '2024-03-05 10:00:00', 0, NULL, 'JFHOST01-1', NULL, 'C''1\\%_',
   '123456789', 23, 200, 223, 'NU'),
  (2, 'F', 'A', 2, '2024-03-06', NULL, NULL, NULL, NULL, NULL, 'C2', NULL, 23, 100, 123, NULL),
  (3, 'F', 'A', 3, '2024-03-07', '2024-03-07 10:00:00', 0, NULL, 'JFHOST01-3', NULL, 'C3', '987654321',
   23, 100, 123, 'NU'),
  (4, 'F', 'B''\\', 1, '2024-04-01', '2024-04-01 10:00:00', 0, NULL, 'JFHOST02-1', NULL, 'C3',
   '987654321', 9200, 40000, 49200, 'NU'),
  (5, 'R', 'A', 1, '2024-03-10', '2024-03-10 10:00:00', 0, NULL, 'JFHOST03-1', NULL, 'C''1\\%_',
   '123456789', 23, 200, 223, 'Cheque n.º 1 "\\" O''K 100%'),
  (6, 'OR', 'A', 1, '2024-03-11', '2024-03-11 10:00:00', 0, NULL, 'JFHOST04-1', NULL, 'C''1\\%_',
   '123456789', 23, 100, 123, NULL);

INSERT INTO documentoslinhas (IDDoc, tipodoc, Serie, numero, Referencia, Descricao, Quant,
  Preco, ValorLiquido, Iva, ValorIva, ValorTotal, IsencaoIva, CodMencao, IDDocP, TipoDocP,
  SerieP, NumeroP) VALUES
  (1, 'F', 'A', 1, 'H''1\\%_', CONCAT('Grego ελληνικά, chinês 中文, emoji 😀, polaco Łódź, ',
   'euro €, controlo [', CHAR(1), CHAR(8), CHAR(11), CHAR(31), '] e NUL [', CHAR(0), ']'),
   1, 100, 100, 23, 23, 123, NULL, NULL, NULL, '', NULL, NULL),
  (1, 'F', 'A', 1, 'H''1\\%_', REPEAT('0123456789', 10000), 1, 100, 100, 0, 0, 100,
   'Isento Artigo 9.º do CIVA', 'M07', NULL, '', NULL, NULL),
  (2, 'F', 'A', 2, NULL, NULL, NULL, NULL, 100, 23, 23, 123, NULL, NULL, NULL, NULL, NULL, NULL),
  (3, 'F', 'A', 3, 'H2', 'Linha com \'aspas\' e "aspas" <tag> & ]]>', 1, 100, 100, 23, 23, 123,
   NULL, NULL, NULL, '', NULL, NULL),
  (5, 'R', 'A', 1, NULL, 'Liquidação de F A/1', 1, 223, 200, 0, 23, 223, NULL, NULL, 1, 'F',
   'A', 1),
  (6, 'OR', 'A', 1, 'H''1\\%_', 'Orçamento "O''K" \\ 100% _x_ 😀', 1, 100, 100, 23, 23, 123,
   NULL, NULL, NULL, '', NULL, NULL);

-- One invoice of 40,000 lines of 1.00 plus 23% VAT.
SET SESSION max_recursive_iterations = 100000;
INSERT INTO documentoslinhas (IDDoc, tipodoc, Serie, numero, Referencia, Descricao, Quant,
  Preco, ValorLiquido, Iva, ValorIva, ValorTotal, TipoDocP)
  WITH RECURSIVE n (i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 40000)
  SELECT 4, 'F', 'B''\\', 1, 'H2', CONCAT('Linha ', i), 1, 1, 1, 23, 0.23, 1.23, '' FROM n;
