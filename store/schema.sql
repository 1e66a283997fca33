/* The register database. Dialect 1: DATE holds a date and a time of day. */

create table RGS_CARD (
  CARD_ID      integer not null,
  REG_NUM      integer not null,
  REGDATE      date not null,
  ADRESS       char(100) not null,
  ADRESS_DATE  date,
  L_DATA       smallint,
  L_CONDITIONS char(150),
  L_REASON     smallint,
  GROUP1       smallint not null,
  GROUP2       smallint not null,
  GRUPA        smallint,
  GRUPA_DATE   date,
  ASSETS       char(150),
  DEALS        char(150),
  INCOME       double precision,
  CHECK_DATE   date,
  CHECK_NAME   char(100),
  GOT_HOUSE    char(100),
  ADD_USER     char(20) not null,
  STATUS       smallint not null,
  KIDS         smallint,
  KART         smallint,
  ONLY_PARENT  smallint,
  KIDS_AGE     double precision,
  N_INVALIDS   smallint,
  YOUNG_FAMILY smallint,
  HARD_LIFE    smallint,
  NOTES        blob sub_type 0 segment size 80,
  CLASSINFO    varchar(250),
  POINTS       integer,
  DOC_IDTXT    varchar(25),
  LASTDEK_ID   varchar(30),
  LASTDEK_DATE date,
  PROT_ID      integer,
  PROT_DATE    date,
  constraint PK_RGS_CARD primary key (CARD_ID)
);
create unique index RGS_CARD_IDX1 on RGS_CARD (REG_NUM);
create index RGS_CARD_IDX2 on RGS_CARD (REGDATE);
create index LASTDEKDATE on RGS_CARD (LASTDEK_DATE);

create table RGS_PERSON (
  PERSON_ID   integer not null,
  CARD_ID     integer,
  NAME        char(100) not null,
  EGN         char(10) not null,
  PERSON_TYPE integer not null,
  SOCGRUPA    smallint,
  NOTES       char(200),
  INV_PROC    integer,
  INV_DATE    char(20),
  TELK_NUM    char(40),
  constraint PK_RGS_PERSON primary key (PERSON_ID)
);
create index FK_RGS_PERSON on RGS_PERSON (CARD_ID);

create table NOM (
  N        integer not null,
  GROUP1   char(50),
  GROUP2   char(50),
  GRUPA    char(50),
  LDATA    char(59),
  LREASON  char(50),
  KARTFOR  char(50),
  SOCGRUPA char(50),
  STATUS   char(50),
  COUNTER  integer,
  S_INFO   varchar(50),
  constraint PK_NOM primary key (N)
);

create table INF_LOG (
  LOG_ID  integer not null,
  USER_ID integer not null,
  TYPE_T  varchar(50),
  T_ID    integer not null,
  T_TEXT  blob sub_type 0 segment size 80,
  C_DATE  date,
  S_DATE  date,
  U_NAME  varchar(50),
  constraint PK_INF_LOG primary key (LOG_ID)
);

create table KLAS_NOM (
  KLAS_ID     integer,
  KLAS_TXT    varchar(200),
  KLAS_COLUMN varchar(200),
  KLAS_VAJ    smallint
);

/* Users of the program. NAME and USER_ID are what the program reads; the
   login library keeps the login name, the password hash (Argon2id) and the
   role beside them. */
create table USERS (
  USER_ID  integer not null,
  NAME     varchar(50) not null,
  LOGIN    varchar(50) not null,
  PWHASH   varchar(255),
  ROLE     varchar(20),
  constraint PK_USERS primary key (USER_ID)
);
create unique index USERS_LOGIN on USERS (LOGIN);

create generator GEN_CARD_ID;
create generator GEN_PERSON_ID;
create generator GEN_LOG_ID;
create generator GEN_USER_ID;

set term ^ ;

create trigger RGS_CARD_BI for RGS_CARD active before insert position 0 as
begin
  if (new.CARD_ID is null) then new.CARD_ID = gen_id(GEN_CARD_ID, 1);
end^

create trigger RGS_PERSON_BI for RGS_PERSON active before insert position 0 as
begin
  if (new.PERSON_ID is null) then new.PERSON_ID = gen_id(GEN_PERSON_ID, 1);
end^

create trigger INF_LOG_BI for INF_LOG active before insert position 0 as
begin
  if (new.LOG_ID is null) then new.LOG_ID = gen_id(GEN_LOG_ID, 1);
end^

create trigger USERS_BI for USERS active before insert position 0 as
begin
  if (new.USER_ID is null) then new.USER_ID = gen_id(GEN_USER_ID, 1);
end^

set term ; ^
