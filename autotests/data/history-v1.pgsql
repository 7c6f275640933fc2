-- A results history of schema version 1, written through the report form by Quillmark
-- as it was before the units were corrected (a QN1, two QTA2 and a QSPA1 relay), then
-- dumped with pg_dump --inserts; the \restrict lines for psql are taken out.
--
-- PostgreSQL database dump
--


-- Dumped from database version 15.18 (Debian 15.18-0+deb12u1)
-- Dumped by pg_dump version 15.18 (Debian 15.18-0+deb12u1)

SET statement_timeout = 0;
SET lock_timeout = 0;
SET idle_in_transaction_session_timeout = 0;
SET client_encoding = 'UTF8';
SET standard_conforming_strings = on;
SELECT pg_catalog.set_config('search_path', '', false);
SET check_function_bodies = false;
SET xmloption = content;
SET client_min_messages = warning;
SET row_security = off;

SET default_tablespace = '';

SET default_table_access_method = heap;

--
-- Name: items; Type: TABLE; Schema: public; Owner: -
--

CREATE TABLE public.items (
    relay bigint NOT NULL,
    "position" integer NOT NULL,
    name text NOT NULL,
    caption text NOT NULL,
    kind text NOT NULL,
    unit text NOT NULL,
    text text NOT NULL,
    number double precision
);


--
-- Name: raw_values; Type: TABLE; Schema: public; Owner: -
--

CREATE TABLE public.raw_values (
    relay bigint NOT NULL,
    raw text NOT NULL
);


--
-- Name: relays; Type: TABLE; Schema: public; Owner: -
--

CREATE TABLE public.relays (
    id bigint NOT NULL,
    host text NOT NULL,
    report_file text NOT NULL,
    record_index integer NOT NULL,
    record_sha1 text NOT NULL,
    recorded_at text NOT NULL,
    relay_id text NOT NULL,
    style text NOT NULL,
    style_code integer NOT NULL,
    contact_variant integer NOT NULL,
    source text NOT NULL,
    coil_resistance double precision,
    pickup double precision,
    pickup_unit text,
    dropaway double precision,
    dropaway_unit text,
    front_contact double precision,
    back_contact double precision,
    verdicts_failed integer NOT NULL,
    verdicts_total integer NOT NULL
);


--
-- Name: relays_id_seq; Type: SEQUENCE; Schema: public; Owner: -
--

ALTER TABLE public.relays ALTER COLUMN id ADD GENERATED ALWAYS AS IDENTITY (
    SEQUENCE NAME public.relays_id_seq
    START WITH 1
    INCREMENT BY 1
    NO MINVALUE
    NO MAXVALUE
    CACHE 1
);


--
-- Name: schema_version; Type: TABLE; Schema: public; Owner: -
--

CREATE TABLE public.schema_version (
    version integer NOT NULL
);


--
-- Data for Name: items; Type: TABLE DATA; Schema: public; Owner: -
--

INSERT INTO public.items VALUES (1, 0, 'relay_id', 'Relay ID No.:', 'text', '', '0001/26KDÄ', NULL);
INSERT INTO public.items VALUES (1, 1, 'hv_test', 'HV Test at 1 KV, AC, 50Hz for 1 minuteCl. 21.a(ii) of BRS-930', 'verdict', '', 'Not OK', NULL);
INSERT INTO public.items VALUES (1, 2, 'insulation_resistance', 'Insulation Resistance Cl. 4.2 of IRS-S34 (MOhms)', 'measured', 'MOhms', '50', 50);
INSERT INTO public.items VALUES (1, 3, 'coil_resistance', 'Coil Resistance Cl. 11.4 of BRS-930 at 20°C (Ohms)', 'measured', 'Ohms', '1030.5', 1030.5);
INSERT INTO public.items VALUES (1, 4, 'full_operate_voltage', 'Full Operate Voltage (V)', 'measured', 'V', '16.25', 16.25);
INSERT INTO public.items VALUES (1, 5, 'release_voltage', 'Release Voltage (V)', 'measured', 'V', '4.10', 4.1);
INSERT INTO public.items VALUES (1, 6, 'full_reverse_voltage', 'Full Reverse Voltage (V)', 'measured', 'V', '3.90', 3.9);
INSERT INTO public.items VALUES (1, 7, 'contact_resistance_front', 'Front (Ohms)', 'measured', 'Ohms', '3.2', 3.2);
INSERT INTO public.items VALUES (1, 8, 'contact_resistance_back', 'Back (Ohms)', 'measured', 'Ohms', '16.5', 16.5);
INSERT INTO public.items VALUES (1, 9, 'contact_pressure_front', 'Front (gm)', 'measured', 'gm', '50', 50);
INSERT INTO public.items VALUES (1, 10, 'contact_pressure_back', 'Back (gm)', 'measured', 'gm', '50', 50);
INSERT INTO public.items VALUES (1, 11, 'interlocking_code', 'Interlocking Code', 'text', '', 'ABCDF', NULL);
INSERT INTO public.items VALUES (1, 12, 'plating_thickness_armature', 'Armature (mm)', 'measured', 'mm', '50', 50);
INSERT INTO public.items VALUES (1, 13, 'plating_thickness_core', 'Core (mm)', 'measured', 'mm', '50', 50);
INSERT INTO public.items VALUES (1, 14, 'plating_thickness_heel_piece', 'Heel Piece (mm)', 'measured', 'mm', '50', 50);
INSERT INTO public.items VALUES (1, 15, 'contact_clearance', 'Cont. Clearance (Cl. 14.4) (inch)', 'measured', 'inch', '50', 50);
INSERT INTO public.items VALUES (1, 16, 'annealing_test', 'Annealing Test on cover (Cl. 4.3)', 'verdict', '', 'Not OK', NULL);
INSERT INTO public.items VALUES (1, 17, 'non_bridging_test', 'Non-Bridging Test Cl. 21.1(iii)', 'verdict', '', 'Not OK', NULL);
INSERT INTO public.items VALUES (1, 18, 'visual_inspection', 'Visual Inspection Cl. 14.2.1 of IRS-S23', 'verdict', '', 'Not OK', NULL);
INSERT INTO public.items VALUES (2, 0, 'relay_id', 'Relay ID No.:', 'text', '', '0002/26KDB', NULL);
INSERT INTO public.items VALUES (2, 1, 'hv_test', 'HV Test at 1 KV, AC, 50Hz for 1 minuteCl. 21.a(ii) of BRS-930', 'verdict', '', 'Not OK', NULL);
INSERT INTO public.items VALUES (2, 2, 'insulation_resistance', 'Insulation Resistance Cl. 4.2 of IRS-S34 (MOhms)', 'measured', 'MOhms', '50', 50);
INSERT INTO public.items VALUES (2, 3, 'coil_resistance', 'Coil Resistance Cl. 11.4 of BRS-930 at 20°C (Ohms)', 'measured', 'Ohms', '1041.0', 1041);
INSERT INTO public.items VALUES (2, 4, 'full_operate_voltage', 'Full Operate Voltage (V)', 'measured', 'V', '16.40', 16.4);
INSERT INTO public.items VALUES (2, 5, 'release_voltage', 'Release Voltage (V)', 'measured', 'V', '4.20', 4.2);
INSERT INTO public.items VALUES (2, 6, 'full_reverse_voltage', 'Full Reverse Voltage (V)', 'measured', 'V', '4.00', 4);
INSERT INTO public.items VALUES (2, 7, 'contact_resistance_front', 'Front (Ohms)', 'measured', 'Ohms', '2.9', 2.9);
INSERT INTO public.items VALUES (2, 8, 'contact_resistance_back', 'Back (Ohms)', 'measured', 'Ohms', '12.1', 12.1);
INSERT INTO public.items VALUES (2, 9, 'contact_pressure_front', 'Front (gm)', 'measured', 'gm', '50', 50);
INSERT INTO public.items VALUES (2, 10, 'contact_pressure_back', 'Back (gm)', 'measured', 'gm', '50', 50);
INSERT INTO public.items VALUES (2, 11, 'interlocking_code', 'Interlocking Code', 'text', '', 'ABCDF', NULL);
INSERT INTO public.items VALUES (2, 12, 'plating_thickness_armature', 'Armature (mm)', 'measured', 'mm', '50', 50);
INSERT INTO public.items VALUES (2, 13, 'plating_thickness_core', 'Core (mm)', 'measured', 'mm', '50', 50);
INSERT INTO public.items VALUES (2, 14, 'plating_thickness_heel_piece', 'Heel Piece (mm)', 'measured', 'mm', '50', 50);
INSERT INTO public.items VALUES (2, 15, 'contact_clearance', 'Cont. Clearance (Cl. 14.4) (inch)', 'measured', 'inch', '50', 50);
INSERT INTO public.items VALUES (2, 16, 'annealing_test', 'Annealing Test on cover (Cl. 4.3)', 'verdict', '', 'Not OK', NULL);
INSERT INTO public.items VALUES (2, 17, 'non_bridging_test', 'Non-Bridging Test Cl. 21.1(iii)', 'verdict', '', 'Not OK', NULL);
INSERT INTO public.items VALUES (2, 18, 'visual_inspection', 'Visual Inspection Cl. 14.2.1 of IRS-S23', 'verdict', '', 'Not OK', NULL);
INSERT INTO public.items VALUES (3, 0, 'relay_id', 'Relay ID No.:', 'text', '', '0003/26KQT', NULL);
INSERT INTO public.items VALUES (3, 1, 'hv_test', 'HV Test at 1 KV, AC, 50Hz for 1 minuteCl. 21.a(ii) of BRS-931', 'verdict', '', 'Not OK', NULL);
INSERT INTO public.items VALUES (3, 2, 'insulation_resistance', 'Insulation Resistance Cl. 4.2 of IRS-S34 (MOhms)', 'measured', 'MOhms', '50', 50);
INSERT INTO public.items VALUES (3, 3, 'coil_resistance', 'Coil Resistance Cl. 11.4 of BRS-931 at 20°C (Ohms)', 'measured', 'Ohms', '9.0', 9);
INSERT INTO public.items VALUES (3, 4, 'operate_voltage', 'Operate Voltage (V)', 'measured', 'V', '0.15', 0.15);
INSERT INTO public.items VALUES (3, 5, 'operate_current', 'Operate Current (mA)', 'measured', 'mA', '17', 17);
INSERT INTO public.items VALUES (3, 6, 'full_operate_current', 'Full Operate Current (mA)', 'measured', 'mA', '21', 21);
INSERT INTO public.items VALUES (3, 7, 'release_percent', '% Release', 'measured', '%', '12', 12);
INSERT INTO public.items VALUES (3, 8, 'contact_resistance_front', 'Front (Ohms)', 'measured', 'Ohms', '66.8', 66.8);
INSERT INTO public.items VALUES (3, 9, 'contact_resistance_back', 'Back (Ohms)', 'measured', 'Ohms', '70.1', 70.1);
INSERT INTO public.items VALUES (3, 10, 'interlocking_code', 'Interlocking Code', 'text', '', 'FGHKX', NULL);
INSERT INTO public.items VALUES (3, 11, 'ac_immunity', 'Ac Immunity Test 300 AC (when applied gradually & abruptly) Cl. 2.3 IRS S60', 'verdict', '', 'Not OK', NULL);
INSERT INTO public.items VALUES (3, 12, 'contact_pressure_front', 'Front (gm)', 'measured', 'gm', '50', 50);
INSERT INTO public.items VALUES (3, 13, 'contact_pressure_back', 'Back (gm)', 'measured', 'gm', '50', 50);
INSERT INTO public.items VALUES (3, 14, 'plating_thickness_armature', 'Armature (mm)', 'measured', 'mm', '50', 50);
INSERT INTO public.items VALUES (3, 15, 'plating_thickness_core', 'Core (mm)', 'measured', 'mm', '50', 50);
INSERT INTO public.items VALUES (3, 16, 'plating_thickness_heel_piece', 'Heel Piece (mm)', 'measured', 'mm', '50', 50);
INSERT INTO public.items VALUES (3, 17, 'contact_clearance', 'Cont. Clearance (Cl. 14.4) (inch)', 'measured', 'inch', '50', 50);
INSERT INTO public.items VALUES (3, 18, 'annealing_test', 'Annealing Test on cover (Cl. 4.3)', 'verdict', '', 'Not OK', NULL);
INSERT INTO public.items VALUES (3, 19, 'non_bridging_test', 'Non-Bridging Test Cl. 21.1(iii)', 'measured', '', '50', 50);
INSERT INTO public.items VALUES (3, 20, 'visual_inspection', 'Visual Inspection Cl. 14.2.1 of IRS-S23', 'verdict', '', 'Not OK', NULL);
INSERT INTO public.items VALUES (4, 0, 'relay_id', 'Relay ID No.:', 'text', '', '0004/26KQT', NULL);
INSERT INTO public.items VALUES (4, 1, 'hv_test', 'HV Test at 1 KV, AC, 50Hz for 1 minuteCl. 21.a(ii) of BRS-931', 'verdict', '', 'Not OK', NULL);
INSERT INTO public.items VALUES (4, 2, 'insulation_resistance', 'Insulation Resistance Cl. 4.2 of IRS-S34 (MOhms)', 'measured', 'MOhms', '50', 50);
INSERT INTO public.items VALUES (4, 3, 'coil_resistance', 'Coil Resistance Cl. 11.4 of BRS-931 at 20°C (Ohms)', 'measured', 'Ohms', '9.2', 9.2);
INSERT INTO public.items VALUES (4, 4, 'operate_voltage', 'Operate Voltage (V)', 'measured', 'V', '0.46', 0.46);
INSERT INTO public.items VALUES (4, 5, 'operate_current', 'Operate Current (mA)', 'measured', 'mA', '50', 50);
INSERT INTO public.items VALUES (4, 6, 'full_operate_current', 'Full Operate Current (mA)', 'measured', 'mA', '63', 63);
INSERT INTO public.items VALUES (4, 7, 'release_percent', '% Release', 'measured', '%', '40', 40);
INSERT INTO public.items VALUES (4, 8, 'contact_resistance_front', 'Front (Ohms)', 'measured', 'Ohms', '58.3', 58.3);
INSERT INTO public.items VALUES (4, 9, 'contact_resistance_back', 'Back (Ohms)', 'measured', 'Ohms', '61.7', 61.7);
INSERT INTO public.items VALUES (4, 10, 'interlocking_code', 'Interlocking Code', 'text', '', 'FGHKX', NULL);
INSERT INTO public.items VALUES (4, 11, 'ac_immunity', 'Ac Immunity Test 300 AC (when applied gradually & abruptly) Cl. 2.3 IRS S60', 'verdict', '', 'Not OK', NULL);
INSERT INTO public.items VALUES (4, 12, 'contact_pressure_front', 'Front (gm)', 'measured', 'gm', '50', 50);
INSERT INTO public.items VALUES (4, 13, 'contact_pressure_back', 'Back (gm)', 'measured', 'gm', '50', 50);
INSERT INTO public.items VALUES (4, 14, 'plating_thickness_armature', 'Armature (mm)', 'measured', 'mm', '50', 50);
INSERT INTO public.items VALUES (4, 15, 'plating_thickness_core', 'Core (mm)', 'measured', 'mm', '50', 50);
INSERT INTO public.items VALUES (4, 16, 'plating_thickness_heel_piece', 'Heel Piece (mm)', 'measured', 'mm', '50', 50);
INSERT INTO public.items VALUES (4, 17, 'contact_clearance', 'Cont. Clearance (Cl. 14.4) (inch)', 'measured', 'inch', '50', 50);
INSERT INTO public.items VALUES (4, 18, 'annealing_test', 'Annealing Test on cover (Cl. 4.3)', 'verdict', '', 'Not OK', NULL);
INSERT INTO public.items VALUES (4, 19, 'non_bridging_test', 'Non-Bridging Test Cl. 21.1(iii)', 'measured', '', '50', 50);
INSERT INTO public.items VALUES (4, 20, 'visual_inspection', 'Visual Inspection Cl. 14.2.1 of IRS-S23', 'verdict', '', 'Not OK', NULL);
INSERT INTO public.items VALUES (5, 0, 'relay_id', 'Relay ID No.:', 'text', '', '0005/26KSP', NULL);
INSERT INTO public.items VALUES (5, 1, 'hv_test', 'HV Test at 1 KV, AC, 50Hz for 1 minuteCl. 21.a(ii) of BRS-931', 'verdict', '', 'Not OK', NULL);
INSERT INTO public.items VALUES (5, 2, 'insulation_resistance', 'Insulation Resistance Cl. 4.2 of IRS-S34 (MOhms)', 'measured', 'MOhms', '50', 50);
INSERT INTO public.items VALUES (5, 3, 'coil_resistance', 'Coil Resistance Cl. 11.4 of BRS-931 at 20°C (Ohms)', 'measured', 'Ohms', '1210.0', 1210);
INSERT INTO public.items VALUES (5, 4, 'full_operate_voltage', 'Full Operate Voltage (V)', 'measured', 'V', '18.30', 18.3);
INSERT INTO public.items VALUES (5, 5, 'release_voltage', 'Release Voltage (V)', 'measured', 'V', '5.70', 5.7);
INSERT INTO public.items VALUES (5, 6, 'full_release_voltage', 'Full Release Voltage (V)', 'measured', 'V', '5.60', 5.6);
INSERT INTO public.items VALUES (5, 7, 'contact_resistance_front', 'Front (Ohms)', 'measured', 'Ohms', '41.2', 41.2);
INSERT INTO public.items VALUES (5, 8, 'contact_resistance_back', 'Back (Ohms)', 'measured', 'Ohms', '44.9', 44.9);
INSERT INTO public.items VALUES (5, 9, 'contact_pressure_front', 'Front (gm)', 'measured', 'gm', '50', 50);
INSERT INTO public.items VALUES (5, 10, 'contact_pressure_back', 'Back (gm)', 'measured', 'gm', '50', 50);
INSERT INTO public.items VALUES (5, 11, 'drop_away_time', 'Drop Away Time', 'measured', 'ms', '8.3', 8.3);
INSERT INTO public.items VALUES (5, 12, 'difference_in_pickup_drop_away_time', 'Difference in pickup & drop away time', 'measured', 'ms', '4.6', 4.6);
INSERT INTO public.items VALUES (5, 13, 'interlocking_code', 'Interlocking Code', 'text', '', 'ABDEJ', NULL);
INSERT INTO public.items VALUES (5, 14, 'ac_immunity', 'Ac Immunity Test 300 AC (when applied gradually & abruptly) Cl. 2.3 IRS S60', 'verdict', '', 'Not OK', NULL);
INSERT INTO public.items VALUES (5, 15, 'plating_thickness_armature', 'Armature (mm)', 'measured', 'mm', '50', 50);
INSERT INTO public.items VALUES (5, 16, 'plating_thickness_core', 'Core (mm)', 'measured', 'mm', '50', 50);
INSERT INTO public.items VALUES (5, 17, 'plating_thickness_heel_piece', 'Heel Piece (mm)', 'measured', 'mm', '50', 50);
INSERT INTO public.items VALUES (5, 18, 'contact_clearance', 'Cont. Clearance (Cl. 14.4) (inch)', 'measured', 'inch', '50', 50);
INSERT INTO public.items VALUES (5, 19, 'annealing_test', 'Annealing Test on cover (Cl. 4.3)', 'verdict', '', 'Not OK', NULL);
INSERT INTO public.items VALUES (5, 20, 'non_bridging_test', 'Non-Bridging Test Cl. 21.1(iii)', 'verdict', '', 'Not OK', NULL);
INSERT INTO public.items VALUES (5, 21, 'visual_inspection', 'Visual Inspection Cl. 14.2.1 of IRS-S23', 'verdict', '', 'Not OK', NULL);


--
-- Data for Name: raw_values; Type: TABLE DATA; Schema: public; Owner: -
--

INSERT INTO public.raw_values VALUES (1, '{"bench":{"CoilResistance1":1030.5,"CoilResistance2":0,"ContactDelay":[0,0,-0.10000000149011612,-0.20000000298023224,-0.30000001192092896,-0.4000000059604645,-0.5,-0.6000000238418579,-0.699999988079071,0,-0.10000000149011612,-0.20000000298023224,-0.30000001192092896,-0.4000000059604645,-0.5,-0.6000000238418579,-0.699999988079071,0,0,0,0],"ContactRes":[0,3.200000047683716,3.1000001430511475,3,2.9000000953674316,2.799999952316284,2.700000047683716,2.5999999046325684,2.5,16.5,16.399999618530273,16.299999237060547,16.200000762939453,16.100000381469727,16,15.899999618530273,15.800000190734863,0,0,0,0],"ContactVariant":1,"DropAwayCurrent":4,"DropAwayVoltage":4.099999904632568,"ManualDropAwayVoltage":3.9000000953674316,"NCSequence":"ABCDF","NOSequence":"ABCDF","PickUpCurrent":15.800000190734863,"PickUpVoltage":16.25},"lines":["0001/26KDÄ"," 1030.5 "," 16.25 "," 4.1 "," 3.9 "," 3.2 "," 3.1 "," 3 "," 2.9 "," 2.8 "," 2.7 "," 2.6 "," 2.5 "," 16.5 "," 16.4 "," 16.3 "," 16.2 "," 16.1 "," 16 "," 15.9 "," 15.8 "," 0 ","-.1 ","-.2 ","-.3 ","-.4 ","-.5 ","-.6 ","-.7 "," 0 ","-.1 ","-.2 ","-.3 ","-.4 ","-.5 ","-.6 ","-.7 ","ABCDF","ABCDF","0001/26KDÄ","Not OK","50","50","50","50","Not OK","","50","50","50","Not OK","Not OK","3.2","16.5"]}');
INSERT INTO public.raw_values VALUES (2, '{"bench":{"CoilResistance1":1041,"CoilResistance2":0,"ContactDelay":[0,0,-0.10000000149011612,-0.20000000298023224,-0.30000001192092896,-0.4000000059604645,-0.5,-0.6000000238418579,-0.699999988079071,0,-0.10000000149011612,-0.20000000298023224,-0.30000001192092896,-0.4000000059604645,-0.5,-0.6000000238418579,-0.699999988079071,0,0,0,0],"ContactRes":[0,2.9000000953674316,2.8000001907348633,2.700000047683716,2.6000001430511475,2.5,2.4000000953674316,2.3000001907348633,2.200000047683716,12.100000381469727,12,11.90000057220459,11.800000190734863,11.700000762939453,11.600000381469727,11.5,11.40000057220459,0,0,0,0],"ContactVariant":1,"DropAwayCurrent":4.099999904632568,"DropAwayVoltage":4.199999809265137,"ManualDropAwayVoltage":4,"NCSequence":"ABCDF","NOSequence":"ABCDF","PickUpCurrent":15.899999618530273,"PickUpVoltage":16.399999618530273},"lines":["0002/26KDB"," 1041 "," 16.4 "," 4.2 "," 4 "," 2.9 "," 2.8 "," 2.7 "," 2.6 "," 2.5 "," 2.4 "," 2.3 "," 2.2 "," 12.1 "," 12 "," 11.9 "," 11.8 "," 11.7 "," 11.6 "," 11.5 "," 11.4 "," 0 ","-.1 ","-.2 ","-.3 ","-.4 ","-.5 ","-.6 ","-.7 "," 0 ","-.1 ","-.2 ","-.3 ","-.4 ","-.5 ","-.6 ","-.7 ","ABCDF","ABCDF","0002/26KDB","Not OK","50","50","50","50","Not OK","","50","50","50","Not OK","Not OK","2.9","12.1"]}');
INSERT INTO public.raw_values VALUES (3, '{"bench":{"CoilResistance1":9,"CoilResistance2":0,"ContactDelay":[0,0,-0.10000000149011612,-0.20000000298023224,-0.30000001192092896,-0.4000000059604645,-0.5,-0.6000000238418579,-0.699999988079071,0,-0.10000000149011612,-0.20000000298023224,-0.30000001192092896,-0.4000000059604645,-0.5,-0.6000000238418579,-0.699999988079071,0,0,0,0],"ContactRes":[0,66.80000305175781,66.70000457763672,66.60000610351562,66.5,66.4000015258789,66.30000305175781,66.20000457763672,66.10000610351562,70.0999984741211,70,69.9000015258789,69.79999542236328,69.69999694824219,69.5999984741211,69.5,69.4000015258789,0,0,0,0],"ContactVariant":0,"DropAwayCurrent":12,"DropAwayVoltage":0.10000000149011612,"ManualDropAwayVoltage":0,"NCSequence":"FGHKX","NOSequence":"FGHKX","PickUpCurrent":17,"PickUpVoltage":0.15000000596046448},"lines":["0003/26KQT","Not OK","50","9.0","17","21","0.15","12","66.8","70.1","50","50","50","50","FGHKX","50","50","50","Not OK","Not OK","Not OK","","","","","","","","",""]}');
INSERT INTO public.raw_values VALUES (4, '{"bench":{"CoilResistance1":9.199999809265137,"CoilResistance2":0,"ContactDelay":[0,0,-0.10000000149011612,-0.20000000298023224,-0.30000001192092896,-0.4000000059604645,-0.5,-0.6000000238418579,-0.699999988079071,0,-0.10000000149011612,-0.20000000298023224,-0.30000001192092896,-0.4000000059604645,-0.5,-0.6000000238418579,-0.699999988079071,0,0,0,0],"ContactRes":[0,58.29999923706055,58.20000076293945,58.099998474121094,58,57.89999771118164,57.79999923706055,57.70000076293945,57.599998474121094,61.70000076293945,61.60000228881836,61.5,61.400001525878906,61.29999923706055,61.20000076293945,61.10000228881836,61,0,0,0,0],"ContactVariant":0,"DropAwayCurrent":20,"DropAwayVoltage":0.18000000715255737,"ManualDropAwayVoltage":0,"NCSequence":"FGHKX","NOSequence":"FGHKX","PickUpCurrent":50,"PickUpVoltage":0.46000000834465027},"lines":["0004/26KQT","Not OK","50","9.2","50","63","0.46","40","58.3","61.7","50","50","50","50","FGHKX","50","50","50","Not OK","Not OK","Not OK","","","","","","","","",""]}');
INSERT INTO public.raw_values VALUES (5, '{"bench":{"CoilResistance1":1210,"CoilResistance2":0,"ContactDelay":[0,3.700000047683716,3.6000001430511475,3.5,3.4000000953674316,3.299999952316284,3.200000047683716,3.0999999046325684,3,8.300000190734863,8.199999809265137,8.100000381469727,8,7.900000095367432,7.800000190734863,7.700000286102295,7.600000381469727,0,0,0,0],"ContactRes":[0,41.20000076293945,41.10000228881836,41,40.900001525878906,40.79999923706055,40.70000076293945,40.60000228881836,40.5,44.900001525878906,44.80000305175781,44.70000076293945,44.60000228881836,44.5,44.400001525878906,44.30000305175781,44.20000076293945,0,0,0,0],"ContactVariant":0,"DropAwayCurrent":4.699999809265137,"DropAwayVoltage":5.699999809265137,"ManualDropAwayVoltage":5.599999904632568,"NCSequence":"ABDEJ","NOSequence":"ABDEJ","PickUpCurrent":15.100000381469727,"PickUpVoltage":18.299999237060547},"lines":["0005/26KSP","Not OK","50","1210.0","18.30","5.70","5.60","8.3","4.6","41.2","44.9","50","50","50","Not OK","ABDEJ","Not OK","50","50","50","Not OK","Not OK","","","","","","","",""]}');


--
-- Data for Name: relays; Type: TABLE DATA; Schema: public; Owner: -
--

INSERT INTO public.relays OVERRIDING SYSTEM VALUE VALUES (1, 'vm', '/tmp/fx/pgw/Batch 2.csv', 0, '26569fe38d609d3630b39201a02cff39d58e0806', '2026-12-06T15:10:48Z', '0001/26KDÄ', 'QN1', 2, 1, 'form', 1030.5, 16.25, 'V', 4.1, 'V', 3.2, 16.5, 4, 4);
INSERT INTO public.relays OVERRIDING SYSTEM VALUE VALUES (2, 'vm', '/tmp/fx/pgw/Batch 2.csv', 1, '97620dafbd7db910199122405c22fbc3c527ae80', '2026-12-06T15:10:48Z', '0002/26KDB', 'QN1', 2, 1, 'form', 1041, 16.4, 'V', 4.2, 'V', 2.9, 12.1, 4, 4);
INSERT INTO public.relays OVERRIDING SYSTEM VALUE VALUES (3, 'vm', '/tmp/fx/pgw/Batch 6.csv', 0, '8dcfb23335985f9234059d9946a6b2242058f8f2', '2026-12-06T15:10:48Z', '0003/26KQT', 'QTA2', 6, 0, 'form', 9, 17, 'mA', NULL, '', 66.8, 70.1, 4, 4);
INSERT INTO public.relays OVERRIDING SYSTEM VALUE VALUES (4, 'vm', '/tmp/fx/pgw/Batch 6.csv', 1, '595f775a99c50a71d63faf2c03597b514c1150ef', '2026-12-06T15:10:48Z', '0004/26KQT', 'QTA2', 6, 0, 'form', 9.2, 50, 'mA', NULL, '', 58.3, 61.7, 4, 4);
INSERT INTO public.relays OVERRIDING SYSTEM VALUE VALUES (5, 'vm', '/tmp/fx/pgw/Batch 7.csv', 0, 'c7aa5a04bede3306ff7797b80bb946740bf7b8f9', '2026-12-06T15:10:48Z', '0005/26KSP', 'QSPA1', 7, 0, 'form', 1210, 18.3, 'V', 5.7, 'V', 41.2, 44.9, 5, 5);


--
-- Data for Name: schema_version; Type: TABLE DATA; Schema: public; Owner: -
--

INSERT INTO public.schema_version VALUES (1);


--
-- Name: relays_id_seq; Type: SEQUENCE SET; Schema: public; Owner: -
--

SELECT pg_catalog.setval('public.relays_id_seq', 5, true);


--
-- Name: items items_pkey; Type: CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.items
    ADD CONSTRAINT items_pkey PRIMARY KEY (relay, "position");


--
-- Name: raw_values raw_values_pkey; Type: CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.raw_values
    ADD CONSTRAINT raw_values_pkey PRIMARY KEY (relay);


--
-- Name: relays relays_host_report_file_record_index_record_sha1_key; Type: CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.relays
    ADD CONSTRAINT relays_host_report_file_record_index_record_sha1_key UNIQUE (host, report_file, record_index, record_sha1);


--
-- Name: relays relays_pkey; Type: CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.relays
    ADD CONSTRAINT relays_pkey PRIMARY KEY (id);


--
-- Name: items_name; Type: INDEX; Schema: public; Owner: -
--

CREATE INDEX items_name ON public.items USING btree (name, relay);


--
-- Name: relays_recorded; Type: INDEX; Schema: public; Owner: -
--

CREATE INDEX relays_recorded ON public.relays USING btree (recorded_at, id);


--
-- Name: relays_style; Type: INDEX; Schema: public; Owner: -
--

CREATE INDEX relays_style ON public.relays USING btree (style_code, recorded_at);


--
-- PostgreSQL database dump complete
--


