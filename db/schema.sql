-- The morvik2 database: ticket snapshots, the batch queue, the master data
-- and their form defaults. Loaded by the owner role morvik2 into a database
-- created with ENCODING 'LATIN1', LC_COLLATE and LC_CTYPE 'C', so that every
-- byte 1..255 of a text is a character and comes back unchanged.
--
-- Flags are boolean (libpq hands them out as "t" and "f"), decimals real
-- (the programs hold them as float), texts text; the totals that grow with
-- every load for years (balances, usage totals, delivered quantities,
-- payment amounts) are numeric, so they stay exact to the cent however large
-- they grow, and the bookings add to them on the server; dates and times are
-- text in the programs' own formats. There are no primary or unique keys but
-- the ticket identifier's: the operations check uniqueness themselves and
-- report duplicate rows as warnings or errors, which must stay observable.
-- Counters and totals start at 0 because the inserts leave them out.

CREATE SEQUENCE batch_s;
CREATE SEQUENCE ticket_s;
CREATE SEQUENCE invoice_s;
CREATE SEQUENCE customer_s;
CREATE SEQUENCE job_s;
CREATE SEQUENCE formula_s;
CREATE SEQUENCE product_s;
CREATE SEQUENCE truck_s;

-- Finished tickets; xmldata_c holds the snapshot the programs print from.
CREATE TABLE ticket_t (
    entry_c           integer DEFAULT nextval('ticket_s'),
    id_c              text,
    date_c            text,
    invoice_c         integer DEFAULT 0,
    ordernumber_c     text,
    timecreated_c     text,
    timetobatch_c     text,
    timestarted_c     text,
    timefinished_c    text,
    customerid_c      text,
    name_c            text,
    jobid_c           text,
    deliverto_c       text,
    formulaid_c       text,
    description_c     text,
    truckid_c         text,
    driver_c          text,
    batchsize_c       real,
    returned_c        real,
    watertrim_c       real,
    mixer_c           integer,
    cycles_c          integer,
    salestax_c        real,
    printweights_c    boolean,
    printprices_c     boolean,
    printticket_c     boolean,
    subtotal_c        real,
    tax_c             real,
    total_c           real,
    street_c          text,
    city_c            text,
    state_c           text,
    zipcode_c         text,
    instructions_c    text,
    onjob_c           text,
    offjob_c          text,
    leftover_c        real,
    plant_c           integer,
    xmldata_c         text,
    void_c            boolean DEFAULT false,
    user_c            text,
    modified_c        text
);

-- A ticket is found by its identifier in any letter case (loads, invoice
-- numbers), so two identifiers that differ only in case would be one ticket
-- to the programs: the second is refused.
CREATE UNIQUE INDEX ticket_t_id_c_key ON ticket_t (LOWER(id_c));

-- Every statement of a ticket load reads the ticket by its entry, and a plant
-- keeps years of tickets.
CREATE INDEX ticket_t_entry_c_idx ON ticket_t (entry_c);

-- The batch queue; a voided batch has timetobatch_c 'VOID'.
CREATE TABLE batch_t (
    entry_c           integer DEFAULT nextval('batch_s'),
    id_c              text,
    ordernumber_c     text,
    timetobatch_c     text,
    timecreated_c     text,
    jobid_c           text,
    customerid_c      text,
    formulaid_c       text,
    truckid_c         text,
    batchsize_c       real,
    returned_c        real,
    watertrim_c       real,
    mixer_c           integer,
    cycles_c          integer,
    salestax_c        real,
    printweights_c    boolean,
    printprices_c     boolean,
    printticket_c     boolean,
    subtotal_c        real,
    tax_c             real,
    total_c           real,
    deliverto_c       text,
    street_c          text,
    city_c            text,
    state_c           text,
    zipcode_c         text,
    instructions_c    text,
    driver_c          text,
    formulaprice_c    real,
    plant_c           integer
);

-- A queued batch is found by its identifier in any letter case, and its
-- lines by 'Batch' and that identifier: two batches of one name would share
-- their lines, and finishing one would take both off the queue.
CREATE UNIQUE INDEX batch_t_id_c_key ON batch_t (LOWER(id_c));

-- Materials and extra products of batches ('Batch' || batch id), jobs
-- ('Job' || job entry) and formulas (the formula id).
CREATE TABLE productlinker_t (
    linkid_c          text,
    productid_c       text,
    amount_c          real,
    price_c           real,
    producttype_c     text,
    position_c        integer
);

-- Every link list is read by its owner's identifier in any letter case, and
-- each batch leaves its own list here.
CREATE INDEX productlinker_t_linkid_c_idx ON productlinker_t (LOWER(linkid_c));

-- Delivery counters, one row per plant.
CREATE TABLE batchcounter_t (
    plant_c           integer,
    loadsdelivered_c  integer DEFAULT 0,
    yardsdelivered_c  numeric DEFAULT 0
);

CREATE TABLE customer_t (
    entry_c           integer DEFAULT nextval('customer_s'),
    id_c              text,
    name_c            text,
    street_c          text,
    city_c            text,
    state_c           text,
    zipcode_c         text,
    phone_c           text,
    fax_c             text,
    email_c           text,
    contact_c         text,
    cellphone_c       text,
    taxexempt_c       boolean,
    printticket_c     boolean,
    totalbatches_c    integer DEFAULT 0,
    totalyards_c      numeric DEFAULT 0,
    usagedate_c       text,
    discount_c        real DEFAULT 0,
    balance_c         numeric DEFAULT 0,
    creditstatus_c    integer DEFAULT 0,
    memo_c            text,
    user_c            text,
    modified_c        text
);

-- Customers, formulas, products and trucks are found by their identifier in
-- any letter case: a second record that differs only in case could never be
-- reached. Two clerks adding one at once get one record and one refusal.
CREATE UNIQUE INDEX customer_t_id_c_key ON customer_t (LOWER(id_c));

-- One line per finished load booked against a customer's balance.
CREATE TABLE payment_t (
    customerid_c      text,
    adjust_c          numeric,
    plant_c           integer,
    name_c            text,
    prevbalance_c     numeric,
    newbalance_c      numeric
);

CREATE TABLE job_t (
    entry_c             integer DEFAULT nextval('job_s'),
    id_c                text,
    customerid_c        text,
    formulaid_c         text,
    deliverto_c         text,
    street_c            text,
    city_c              text,
    state_c             text,
    zipcode_c           text,
    orderdate_c         text,
    deliverdate_c       text,
    delivertime_c       text,
    instructions_c      text,
    quantityordered_c   real,
    quantitydelivered_c numeric DEFAULT 0,
    loadsdelivered_c    integer DEFAULT 0,
    formulaprice_c      real,
    batchsize_c         real,
    taxable_c           boolean,
    salestax_c          real,
    grandtotal_c        real,
    user_c              text,
    modified_c          text
);

-- A job is named by its identifier together with its customer's, each found
-- in any letter case.
CREATE UNIQUE INDEX job_t_id_c_key ON job_t (LOWER(id_c), LOWER(customerid_c));

CREATE TABLE formula_t (
    entry_c            integer DEFAULT nextval('formula_s'),
    id_c               text,
    description_c      text,
    usmetric_c         text,
    maxwateramount_c   real,
    watercementratio_c real,
    taxable_c          boolean,
    price_c            real,
    totalbatches_c     integer DEFAULT 0,
    usagedate_c        text,
    user_c             text,
    modified_c         text
);

CREATE UNIQUE INDEX formula_t_id_c_key ON formula_t (LOWER(id_c));

-- type_c 'agg', 'cmt', 'admix' and 'water' are materials; any other type is
-- an extra product.
CREATE TABLE product_t (
    entry_c            integer DEFAULT nextval('product_s'),
    id_c               text,
    type_c             text,
    description_c      text,
    usmetric_c         text,
    unitmeasure_c      text,
    taxable_c          boolean,
    unitprice_c        real,
    balance_c          numeric DEFAULT 0,
    targetusage1_c     numeric DEFAULT 0,
    adjtargetusage1_c  numeric DEFAULT 0,
    actualusage1_c     numeric DEFAULT 0,
    usage1date_c       text,
    targetusage2_c     numeric DEFAULT 0,
    adjtargetusage2_c  numeric DEFAULT 0,
    actualusage2_c     numeric DEFAULT 0,
    usage2date_c       text,
    user_c             text,
    modified_c         text
);

CREATE UNIQUE INDEX product_t_id_c_key ON product_t (LOWER(id_c));

-- A truck's on-job and off-job times and leftover load live only in the
-- ticket snapshots.
CREATE TABLE truck_t (
    entry_c            integer DEFAULT nextval('truck_s'),
    id_c               text,
    driver_c           text,
    cellphone_c        text,
    dischargerate_c    real,
    dischargecode_c    integer,
    maxloadsize_c      real,
    loadsdelivered_c   integer DEFAULT 0,
    yardsdelivered_c   numeric DEFAULT 0,
    usagedate_c        text,
    user_c             text,
    modified_c         text
);

CREATE UNIQUE INDEX truck_t_id_c_key ON truck_t (LOWER(id_c));

-- Form defaults: column_c names a column of the matching _t table, default_c
-- holds its default as text, position_c the order the defaults apply in.
CREATE TABLE ticket_w (column_c text, default_c text, position_c integer);
CREATE TABLE customer_w (column_c text, default_c text, position_c integer);
CREATE TABLE job_w (column_c text, default_c text, position_c integer);
CREATE TABLE formula_w (column_c text, default_c text, position_c integer);
CREATE TABLE product_w (column_c text, default_c text, position_c integer);
CREATE TABLE truck_w (column_c text, default_c text, position_c integer);

-- New tickets belong to plant 1 unless a default says otherwise.
INSERT INTO batchcounter_t (plant_c, loadsdelivered_c, yardsdelivered_c) VALUES (1, 0, 0);

-- pgxml_xpath_parsed(document, path, toptag, septag): the text of the first
-- node that path selects in document, or NULL when there is none (a missing
-- or an empty element), as PostgreSQL's XPath reads it. toptag and septag
-- belong to the four-argument form the loaders call; they pass empty ones and
-- read a single value, so both are unused.
--
-- xpath() reads a document without an XML declaration as UTF-8 and fails on
-- the first Latin-1 byte above 127, so the document is declared ISO-8859-1.
-- xpath() then hands back UTF-8 bytes inside a LATIN1 text: convert_to()
-- takes those bytes as they are and convert_from() reads them as UTF-8 into
-- the LATIN1 database encoding. This relies on the database being LATIN1.
--
-- The result keeps xpath()'s escapes: "&", "<" and ">" come back as "&amp;",
-- "&lt;" and "&gt;" (apostrophes and double quotes plain). The loaders pass
-- every text through their XML decoder, so a stored text that literally
-- contains "&amp;" (written into the snapshot as "&amp;amp;") comes back
-- exactly; unescaping here as well would decode it twice. xpath() also
-- writes a carriage return as "&#x0d;", which that decoder does not know, so
-- it is turned back into the byte here. (The XML parser reads a carriage
-- return written as the plain byte as a line feed; only "&#13;" keeps it.)
CREATE FUNCTION pgxml_xpath_parsed(document text, path text, toptag text, septag text)
RETURNS text
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
AS $$
    SELECT replace(
               convert_from(
                   convert_to(
                       (xpath(path, XMLPARSE(DOCUMENT
                           '<?xml version="1.0" encoding="ISO-8859-1"?>' || document)))[1]::text,
                       'LATIN1'),
                   'UTF8'),
               '&#x0d;', chr(13))
$$;

-- pgxml_xpath(document, path, toptag, septag): what pgxml_xpath_parsed
-- returns, found by string search where it can be. A ticket load calls it
-- for every value it reads, and parsing the whole snapshot for each value
-- made the cost of a value grow with the size of the ticket.
--
-- The loaders' paths name a leaf of a section (//ticket_t/job_t/city_c/text())
-- or of a numbered entry (//ticket_t/materials_t/matl[@num=3]/id_c/text()).
-- In a snapshot as the writer builds it (sections and entries hold leaves
-- only, nothing stands between elements, "<" in a text is always escaped)
-- the first "<job_t>" or "<matl num="3">" is that container and the first
-- "<city_c>" after it, if it comes before the container closes, is the leaf.
-- Its raw text becomes what the parser returns: a carriage return, alone or
-- before a line feed, is read as a line feed; "&apos;" and "&quot;" come back
-- plain while "&amp;", "&lt;" and "&gt;" stay; an empty or missing leaf is
-- NULL.
--
-- The parser answers everything else: any other path, a container that is
-- not there, and a text holding what the writer never writes (a raw ">", a
-- control character XML forbids, a character reference or another "&"),
-- which the parser rejects or decodes in its own way. The rest of the
-- document is not checked, so a snapshot damaged elsewhere still gives its
-- intact values where the parser would fail on it.
--
-- PL/pgSQL rather than a C function, which would need the server's
-- development headers and a superuser to install; and rather than an SQL
-- function, which the planner would inline and parse again at each of the
-- up to 44 calls of a statement. This one is compiled once per connection.
-- A call costs tens of microseconds, most of it the server fetching the
-- stored snapshot again for each call, which no function written in SQL or
-- PL/pgSQL can keep between calls. Every statement of a view runs on a new
-- connection, where preparing an expression and looking up a function cost
-- more than a call: so the search is one expression of a few built-in
-- functions, with no regular expression. Servers that load PL/pgSQL at
-- start (shared_preload_libraries) spare each connection loading it.
CREATE FUNCTION pgxml_xpath(document text, path text, toptag text, septag text)
RETURNS text
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE
AS $$
DECLARE
    -- The leaf's raw text ('' for an empty or missing leaf), or NULL for any
    -- other path or a container that is not there. The leaf is
    -- split_part(path, '/', -2), its container split_part(path, '/', -3).
    raw text := CASE
        WHEN split_part(path, '/', -1) = 'text()' AND split_part(path, '/', -2) <> ''
             -- Names and at most an entry number: no wildcard, axis or function.
             AND translate(path, 'abcdefghijklmnopqrstuvwxyz0123456789_/', '') IN ('()', '[@=]()')
             AND (split_part(split_part(path, '/' || split_part(path, '/', -2) || '/text()', 1), '[', 1) IN
                      ('//ticket_t/batch_t', '//ticket_t/customer_t', '//ticket_t/job_t',
                       '//ticket_t/formula_t', '//ticket_t/truck_t',
                       '//ticket_t/materials_t/matl', '//ticket_t/products_t/prod')
                  OR path IN ('//ticket_t/materials_t/nummatl_c/text()',
                              '//ticket_t/products_t/numprod_c/text()'))
        THEN split_part(split_part(split_part(
                 -- What follows the container's start tag, written once.
                 NULLIF(split_part(document, '<' || replace(replace(
                     split_part(path, '/', -3), '[@num=', ' num="'), ']', '">'), 2), ''),
                 '</' || split_part(split_part(path, '/', -3), '[', 1) || '>', 1),
                 '<' || split_part(path, '/', -2) || '>', 2),
                 '<', 1)
        END;
BEGIN
    -- A text as the writer writes it holds no ">", no control character XML
    -- forbids, and an "&" only to start one of the five entities. Each entity
    -- becomes a blank and each forbidden character an "&" (one for each of
    -- the 29), so an "&" left means the parser must read the text.
    IF strpos(translate(replace(replace(replace(replace(replace(raw,
              '&amp;', ' '), '&lt;', ' '), '&gt;', ' '), '&apos;', ' '), '&quot;', ' '),
              E'>\x01\x02\x03\x04\x05\x06\x07\x08\x0b\x0c\x0e\x0f\x10\x11\x12\x13\x14\x15\x16\x17\x18\x19\x1a\x1b\x1c\x1d\x1e\x1f',
              '&&&&&&&&&&&&&&&&&&&&&&&&&&&&&'), '&') = 0 THEN
        RETURN NULLIF(replace(replace(replace(replace(raw,
                   E'\r\n', E'\n'), E'\r', E'\n'), '&apos;', ''''), '&quot;', '"'), '');
    END IF;
    RETURN pgxml_xpath_parsed(document, path, toptag, septag);
END
$$;

-- sorvane connects as nobody: it reads tickets, and a print it hands to
-- velmora may take an invoice number for the ticket.
GRANT SELECT ON ticket_t TO nobody;
GRANT UPDATE (invoice_c) ON ticket_t TO nobody;
GRANT USAGE ON SEQUENCE invoice_s TO nobody;

-- The history of every ticket: one event each time a ticket is stored,
-- rewritten, printed, saved for the web, voided or sealed, never changed
-- afterwards. The events form one chain: each hash_c is the SHA-256 of the
-- previous event's hash_c followed by the event's own fields, so that
-- changing, removing or reordering an event breaks the chain from there on;
-- a stored, rewritten or sealed event carries in digest_c the SHA-256 of the
-- ticket's snapshot at that moment. Events are appended only through
-- ticketevent_append, which puts them in line one at a time.
CREATE SEQUENCE ticketevent_s;

CREATE TABLE ticketevent_t (
    event_c           bigint NOT NULL DEFAULT nextval('ticketevent_s'),
    time_c            timestamptz NOT NULL DEFAULT clock_timestamp(),
    kind_c            text NOT NULL DEFAULT '',
    entry_c           integer NOT NULL DEFAULT 0,
    id_c              text NOT NULL DEFAULT '',
    plant_c           integer NOT NULL DEFAULT 0,
    who_c             text NOT NULL DEFAULT '',
    client_c          text NOT NULL DEFAULT '',
    printer_c         text NOT NULL DEFAULT '',
    invoice_c         integer NOT NULL DEFAULT 0,
    copies_c          integer NOT NULL DEFAULT 0,
    reason_c          text NOT NULL DEFAULT '',
    digest_c          text NOT NULL DEFAULT '',
    hash_c            text NOT NULL DEFAULT ''
);

CREATE UNIQUE INDEX ticketevent_t_event_c_key ON ticketevent_t (event_c);
-- A ticket's history and the check of its digest read by entry.
CREATE INDEX ticketevent_t_entry_c_idx ON ticketevent_t (entry_c);

-- A history that could be edited in place would prove nothing.
CREATE FUNCTION ticketevent_refuse() RETURNS trigger
LANGUAGE plpgsql
AS $$
BEGIN
    RAISE EXCEPTION 'the ticket history is only ever added to: % refused', TG_OP;
END
$$;

CREATE TRIGGER ticketevent_t_append_only BEFORE UPDATE OR DELETE ON ticketevent_t
    FOR EACH ROW EXECUTE FUNCTION ticketevent_refuse();

-- The hash of event e after the event whose hash is `previous` (NULL for the
-- first): the SHA-256, in lowercase hex, of the bytes of `previous`, then of
-- event_c, time_c in UTC as YYYY-MM-DD HH:MM:SS.UUUUUU, entry_c, plant_c,
-- invoice_c and copies_c, each in decimal followed by a line feed, then of
-- kind_c, id_c, who_c, client_c, printer_c, reason_c and digest_c, each as its
-- length in bytes in decimal, ':', its bytes (Latin-1, as stored) and a line
-- feed. The lengths keep a text from passing for the fields after it
-- whatever bytes it holds. One concat() call: verify computes this for every
-- event, and many small concatenations cost several times as much.
CREATE FUNCTION ticketevent_hash(previous text, e ticketevent_t) RETURNS text
LANGUAGE sql STABLE PARALLEL SAFE
AS $$
    SELECT encode(sha256(convert_to(concat(previous,
        e.event_c, E'\n', to_char(e.time_c AT TIME ZONE 'UTC', 'YYYY-MM-DD HH24:MI:SS.US'), E'\n',
        e.entry_c, E'\n', e.plant_c, E'\n', e.invoice_c, E'\n', e.copies_c, E'\n',
        octet_length(e.kind_c), ':', e.kind_c, E'\n',
        octet_length(e.id_c), ':', e.id_c, E'\n',
        octet_length(e.who_c), ':', e.who_c, E'\n',
        octet_length(e.client_c), ':', e.client_c, E'\n',
        octet_length(e.printer_c), ':', e.printer_c, E'\n',
        octet_length(e.reason_c), ':', e.reason_c, E'\n',
        octet_length(e.digest_c), ':', e.digest_c, E'\n'), 'LATIN1')), 'hex')
$$;

-- The SHA-256 of a snapshot's bytes, in lowercase hex.
CREATE FUNCTION ticket_digest(snapshot text) RETURNS text
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
AS $$ SELECT encode(sha256(convert_to(snapshot, 'LATIN1')), 'hex') $$;

-- Appends an event of `kind` for the ticket stored under `entry`, in the
-- caller's transaction, and returns its number; NULL, appending nothing, when
-- no ticket has the entry. The identifier, plant and snapshot digest are read
-- from the ticket row as the transaction sees it, so a "stored" event holds
-- the digest of what was stored. Appends wait for each other (a transaction
-- lock held until commit), and only then read the last hash and take the
-- event's number, so the chain stays one line with many writers; that needs
-- each statement here to see what was committed meanwhile, which a repeatable
-- read or serializable transaction would not. Runs with its owner's rights:
-- the web viewer's role may append, never write the table itself.
CREATE FUNCTION ticketevent_append(kind text, entry integer, who text, client text, printer text,
                                   invoice integer, copies integer, reason text)
RETURNS bigint
LANGUAGE plpgsql VOLATILE SECURITY DEFINER
SET search_path = public, pg_temp
AS $$
DECLARE
    e ticketevent_t;
BEGIN
    IF kind NOT IN ('stored', 'rewritten', 'printed', 'saved', 'voided', 'sealed') THEN
        RAISE EXCEPTION 'no ticket event is called %', kind;
    END IF;
    IF current_setting('transaction_isolation') <> 'read committed' THEN
        RAISE EXCEPTION 'ticket events are appended in read committed transactions only';
    END IF;
    PERFORM pg_advisory_xact_lock(hashtext('ticketevent_t'));
    SELECT t.entry_c, t.id_c, t.plant_c,
           CASE WHEN kind IN ('stored', 'rewritten', 'sealed') THEN ticket_digest(t.xmldata_c) ELSE '' END
      INTO e.entry_c, e.id_c, e.plant_c, e.digest_c
      FROM ticket_t t WHERE t.entry_c = entry LIMIT 1;
    IF NOT FOUND THEN
        RETURN NULL;
    END IF;
    e.event_c := nextval('ticketevent_s');
    e.time_c := clock_timestamp();
    e.kind_c := kind;
    e.id_c := coalesce(e.id_c, '');
    e.plant_c := coalesce(e.plant_c, 0);
    e.digest_c := coalesce(e.digest_c, '');
    e.who_c := coalesce(who, '');
    e.client_c := coalesce(client, '');
    e.printer_c := coalesce(printer, '');
    e.invoice_c := coalesce(invoice, 0);
    e.copies_c := coalesce(copies, 0);
    e.reason_c := coalesce(reason, '');
    e.hash_c := ticketevent_hash((SELECT hash_c FROM ticketevent_t ORDER BY event_c DESC LIMIT 1), e);
    INSERT INTO ticketevent_t VALUES (e.*);
    RETURN e.event_c;
END
$$;

REVOKE ALL ON FUNCTION ticketevent_append(text, integer, text, text, text, integer, integer, text) FROM PUBLIC;
GRANT EXECUTE ON FUNCTION ticketevent_append(text, integer, text, text, text, integer, integer, text) TO nobody;
-- The web viewer's check of a code says when a ticket was stored and whether
-- it was voided; it reads nothing else of the history.
GRANT SELECT (entry_c, kind_c, time_c) ON ticketevent_t TO nobody;
